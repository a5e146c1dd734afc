// Where the layouts put controls, the tile sizing rule the purchase and app
// pages use, and the markup layout of texts built by code.
#include <gtest/gtest.h>

#include <QFontMetrics>

#include "tests/ui/UiTestSupport.h"
#include "ui/UIDialogBuilder.h"
#include "ui/internal/Render.h"

using namespace DuiLib;
using korvana::test::UiApp;

namespace {

// A manager with fonts 0-19 as the skin has them, laying out `root` at size.
struct Laid {
    explicit Laid(std::unique_ptr<CControlUI> root, int cx = 400, int cy = 300)
    {
        UiApp();
        for (int i = 0; i < 10; ++i)
            pm.AddFont(i, L"微软雅黑", 10 + i, false, false, false, i == 2);
        for (int i = 10; i < 20; ++i)
            pm.AddFont(i, L"微软雅黑", i, true, false, false);
        pm.AttachDialog(std::move(root));
        pm.SetClientSize(cx, cy);
        pm.UpdateLayout();
    }
    CPaintManagerUI pm;
};

template <class T> T* AddTo(CContainerUI* box, int w = 0, int h = 0, const wchar_t* name = L"")
{
    auto c = std::make_unique<T>();
    c->SetFixedWidth(w);
    c->SetFixedHeight(h);
    c->SetName(name);
    return static_cast<T*>(box->Add(std::move(c)));
}

TEST(Layout, VerticalGivesFixedHeightsFirstAndSharesTheRest)
{
    auto root = std::make_unique<CVerticalLayoutUI>();
    root->SetInset(RECT { 10, 5, 10, 5 });
    root->SetChildPadding(4);
    auto* a = AddTo<CControlUI>(root.get(), 0, 40);
    auto* b = AddTo<CControlUI>(root.get());
    auto* c = AddTo<CControlUI>(root.get(), 100, 0);
    auto* d = AddTo<CControlUI>(root.get(), 0, 30);
    d->SetPadding(RECT { 5, 6, 0, 0 });
    Laid l(std::move(root));
    // 300 - 10 inset - 40 - 36 (30 + 6 padding) - 3 * 4 gaps = 202 shared by two.
    EXPECT_EQ(a->GetPos(), (RECT { 10, 5, 390, 45 }));
    EXPECT_EQ(b->GetPos(), (RECT { 10, 49, 390, 150 }));
    EXPECT_EQ(c->GetPos(), (RECT { 10, 154, 110, 255 }));
    EXPECT_EQ(d->GetPos(), (RECT { 15, 265, 390, 295 }));
}

TEST(Layout, HorizontalHonoursMinAndMaxAndHiddenChildren)
{
    auto root = std::make_unique<CHorizontalLayoutUI>();
    auto* a = AddTo<CControlUI>(root.get(), 50);
    auto* hidden = AddTo<CControlUI>(root.get(), 70);
    hidden->SetVisible(false);
    auto* b = AddTo<CControlUI>(root.get());
    b->SetMaxWidth(100);
    auto* c = AddTo<CControlUI>(root.get());
    Laid l(std::move(root));
    EXPECT_EQ(a->GetPos().Width(), 50);
    EXPECT_EQ(b->GetPos().Width(), 100);
    EXPECT_EQ(c->GetPos().left, 150);
    EXPECT_EQ(c->GetPos().right, 400) << "what b cannot take stays with the last";
}

TEST(Layout, FloatingChildrenSitAtTheirPosRelativeToTheParent)
{
    auto root = std::make_unique<CVerticalLayoutUI>();
    AddTo<CControlUI>(root.get(), 0, 100);
    auto* panel = AddTo<CContainerUI>(root.get(), 160, 250);
    auto* badge = AddTo<CButtonUI>(panel);
    badge->SetFloat(true);
    badge->SetFloatPos(RECT { 70, 62, 154, 80 });
    auto* dot = AddTo<CControlUI>(panel, 6, 6);
    dot->SetFloat(true);
    dot->SetFloatPos(RECT { 6, 62, 0, 0 });
    Laid l(std::move(root));
    EXPECT_EQ(badge->GetPos(), (RECT { 70, 162, 154, 180 }));
    EXPECT_EQ(dot->GetPos(), (RECT { 6, 162, 12, 168 }))
        << "width and height give the size without right/bottom";
    EXPECT_EQ(l.pm.FindControl(POINT { 100, 170 }), badge) << "floats lie above their siblings";
}

TEST(Layout, TileCellsAndRowsAreChildPaddingApart)
{
    auto root = std::make_unique<CVerticalLayoutUI>();
    auto* tile = AddTo<CTileLayoutUI>(root.get());
    tile->SetItemSize(SIZE { 120, 60 });
    tile->SetChildPadding(10);
    std::vector<CControlUI*> items;
    for (int i = 0; i < 5; ++i)
        items.push_back(AddTo<CControlUI>(tile));
    Laid l(std::move(root), 520, 300);
    EXPECT_EQ(tile->GetActualColumns(), 4);
    EXPECT_EQ(items[0]->GetPos(), (RECT { 0, 0, 120, 60 }));
    EXPECT_EQ(items[1]->GetPos(), (RECT { 130, 0, 250, 60 }));
    EXPECT_EQ(items[4]->GetPos(), (RECT { 0, 70, 120, 130 }));
    // No room for the padding: the same columns, spread over the width.
    l.pm.SetClientSize(500, 300);
    l.pm.UpdateLayout();
    EXPECT_EQ(tile->GetActualColumns(), 4);
    EXPECT_EQ(items[3]->GetPos().left, 3 * 125 + 2);
    EXPECT_LE(items[3]->GetPos().right, 500);
}

TEST(Layout, TileSizingFollowsTheRowRule)
{
    auto root = std::make_unique<CVerticalLayoutUI>();
    auto* tile = AddTo<CTileLayoutUI>(root.get(), 500);
    tile->SetItemSize(SIZE { 120, 60 });
    tile->SetChildPadding(10);
    // Before any layout the fixed width counts: 500 / 120 = 4 columns.
    SizeTileToContent(tile, 9);
    EXPECT_EQ(tile->GetFixedHeight(), 3 * (60 + 10));
    SizeTileToContent(tile, 8);
    EXPECT_EQ(tile->GetFixedHeight(), 2 * (60 + 10));
    SizeTileToContent(tile, 0);
    EXPECT_EQ(tile->GetFixedHeight(), 140) << "no element: unchanged";

    // Narrower than one item: no column, unchanged.
    auto* narrow = AddTo<CTileLayoutUI>(root.get(), 100, 33);
    narrow->SetItemSize(SIZE { 120, 60 });
    SizeTileToContent(narrow, 5);
    EXPECT_EQ(narrow->GetFixedHeight(), 33);

    // Laid out, the real width counts (7 icons, 5 columns of 80: 2 rows).
    auto* icons = AddTo<CTileLayoutUI>(root.get());
    icons->SetItemSize(SIZE { 80, 75 });
    Laid l(std::move(root), 400, 600);
    SizeTileToContent(icons, 7);
    EXPECT_EQ(icons->GetFixedHeight(), 2 * 75);
    SizeTileToContent(nullptr, 3);
}

TEST(Layout, TabLayoutShowsTheSelectedPageGivenBeforeItsPages)
{
    auto root = std::make_unique<CTabLayoutUI>();
    root->SetAttribute(L"selectedid", L"2");
    for (int i = 0; i < 3; ++i)
        AddTo<CControlUI>(root.get());
    CTabLayoutUI* tab = root.get();
    Laid l(std::move(root));
    EXPECT_EQ(tab->GetCurSel(), 2);
    EXPECT_FALSE(tab->GetItemAt(0)->IsVisible());
    EXPECT_TRUE(tab->GetItemAt(2)->IsVisible());
    EXPECT_EQ(tab->GetItemAt(2)->GetPos(), (RECT { 0, 0, 400, 300 }));
    tab->Remove(tab->GetItemAt(0));
    EXPECT_EQ(tab->GetCurSel(), 1) << "the shown page keeps being shown";
    EXPECT_TRUE(tab->GetItemAt(1)->IsVisible());
}

TEST(Layout, ScrollingMovesChildrenAndClampsToTheRange)
{
    auto root = std::make_unique<CVerticalLayoutUI>();
    root->EnableScrollBar(true);
    std::vector<CControlUI*> rows;
    for (int i = 0; i < 10; ++i)
        rows.push_back(AddTo<CControlUI>(root.get(), 0, 50));
    CVerticalLayoutUI* box = root.get();
    Laid l(std::move(root), 200, 200);
    EXPECT_EQ(box->GetScrollRange().cy, 300);
    EXPECT_LT(rows[0]->GetPos().right, 200) << "the shown scroll bar takes its width";
    box->SetScrollPos(SIZE { 0, 120 });
    EXPECT_EQ(rows[0]->GetPos().top, -120);
    box->SetScrollPos(SIZE { 0, 1000 });
    EXPECT_EQ(box->GetScrollPos().cy, 300);
    EXPECT_EQ(rows[9]->GetPos().bottom, 200);
    // Removing rows shrinks the range and pulls the view back.
    for (int i = 0; i < 6; ++i)
        box->RemoveAt(0);
    l.pm.UpdateLayout();
    EXPECT_EQ(box->GetScrollRange().cy, 0);
    EXPECT_EQ(box->GetScrollPos().cy, 0);
    EXPECT_EQ(box->GetItemAt(0)->GetPos().top, 0);
}

TEST(Markup, CodeTextWithXYFTagsDrawsAtTheGivenPlace)
{
    // x 30, y 10, f 19, "100", then three closing tags that change nothing.
    auto root = std::make_unique<CVerticalLayoutUI>();
    Laid l(std::move(root));
    const RECT box { 20, 40, 220, 100 };
    auto layout = render::LayoutMarkup(
        &l.pm, box, L"<x 30><y 10><f 19>100</f></y></x>", 3, 0xFF000000, DT_LEFT | DT_TOP | DT_WORDBREAK);
    ASSERT_EQ(layout.runs.size(), 1u);
    const auto& run = layout.runs[0];
    EXPECT_EQ(run.text, L"100");
    EXPECT_EQ(run.font, 19);
    EXPECT_EQ(run.rc.left, box.left + 30);
    EXPECT_EQ(run.rc.top, box.top);
    EXPECT_EQ(run.rc.Height(), 10);
    ASSERT_EQ(layout.lines.size(), 1u);
    EXPECT_EQ(layout.lines[0].height, 10);
    QFontMetrics fm(render::FontOf(&l.pm, 19));
    EXPECT_EQ(run.rc.Width(), fm.horizontalAdvance(QStringLiteral("100")));
    EXPECT_TRUE(l.pm.IsFontBold(19));
    EXPECT_EQ(l.pm.GetFontSize(19), 19);
}

TEST(Markup, ClosingXAndYKeepTheirEffectWhileFClosesItsFont)
{
    auto root = std::make_unique<CVerticalLayoutUI>();
    Laid l(std::move(root));
    const RECT box { 0, 0, 300, 100 };
    auto layout = render::LayoutMarkup(&l.pm, box, L"{x 30}{y 10}{f 19}100{/f}{/y}{/x}A{n}B", 3, 0xFF000000,
        DT_LEFT | DT_TOP | DT_WORDBREAK);
    ASSERT_EQ(layout.runs.size(), 3u);
    EXPECT_EQ(layout.runs[1].text, L"A");
    EXPECT_EQ(layout.runs[1].font, 3) << "after {/f} the text's own font";
    EXPECT_EQ(layout.runs[1].rc.left, layout.runs[0].rc.right) << "{/x} does not move back";
    EXPECT_EQ(layout.runs[2].rc.left, 0) << "a new line starts at the left";
    EXPECT_EQ(layout.runs[2].rc.top, 10);
    EXPECT_EQ(layout.runs[2].rc.Height(), 10) << "{/y} keeps the line height";
}

TEST(Markup, ParagraphsColoursLinksAndCentring)
{
    auto root = std::make_unique<CVerticalLayoutUI>();
    Laid l(std::move(root));
    const RECT box { 0, 0, 300, 200 };
    auto layout = render::LayoutMarkup(&l.pm, box, L"{c #FFFF0000}红{/c}{p 5}{a /x}链接{/a}", 3, 0xFF000000,
        DT_CENTER | DT_TOP | DT_WORDBREAK);
    ASSERT_EQ(layout.runs.size(), 2u);
    EXPECT_EQ(layout.runs[0].color, 0xFFFF0000u);
    EXPECT_EQ(layout.runs[1].rc.top, layout.lines[0].height + 5);
    EXPECT_EQ(layout.runs[1].link, 0);
    ASSERT_EQ(layout.links.size(), 1u);
    EXPECT_EQ(layout.links[0], L"/x");
    int mid = (layout.runs[1].rc.left + layout.runs[1].rc.right) / 2;
    EXPECT_NEAR(mid, 150, 1) << "each line centred";
}

TEST(Markup, LongTextWrapsInsideTheBox)
{
    auto root = std::make_unique<CVerticalLayoutUI>();
    Laid l(std::move(root));
    const RECT box { 0, 0, 60, 200 };
    auto layout = render::LayoutMarkup(
        &l.pm, box, L"关注Korvana云微信公众号，送积分", 3, 0xFF000000, DT_LEFT | DT_TOP | DT_WORDBREAK);
    EXPECT_GT(layout.lines.size(), 2u);
    for (const auto& run : layout.runs)
        EXPECT_LE(run.rc.right, box.right);
}

} // namespace
