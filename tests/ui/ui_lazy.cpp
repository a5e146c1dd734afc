// Containers that make their children when first needed: a long tile list
// makes only what comes into view, each element once, and a name search
// from above makes nothing.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <QEvent>
#include <QWidget>

#include "tests/ui/UiTestSupport.h"
#include "ui/UIDispatchScope.h"

using namespace DuiLib;
using korvana::test::SkinFolder;
using korvana::test::TestWindow;
using korvana::test::WindowXml;

namespace {

// A lazy element whose builder adds one button named "Part" tagged with the
// element's number and counts its runs.
std::unique_ptr<CLazyContainerUI> Element(int number, std::vector<int>& builds)
{
    return std::make_unique<CLazyContainerUI>([number, &builds](CLazyContainerUI& self) {
        ++builds[static_cast<std::size_t>(number)];
        auto part = std::make_unique<CButtonUI>();
        part->SetName(L"Part");
        part->SetTag(static_cast<std::uintptr_t>(number));
        // Searching itself while it is being made starts no second build.
        EXPECT_EQ(self.FindSubControl(L"Part"), nullptr);
        self.Add(std::move(part));
    });
}

class LazyTest : public ::testing::Test {
protected:
    void OpenTiles(int count)
    {
        skin.Write("Test.xml", WindowXml(R"(<TileLayout name="Tiles" itemsize="50,50" vscrollbar="true"/>)"));
        ASSERT_TRUE(wnd.Create(nullptr, L"lazy"));
        ui = std::make_unique<CUiDriver>(wnd);
        builds.assign(static_cast<std::size_t>(count), 0);
        tiles = static_cast<CTileLayoutUI*>(wnd.GetPaintManager().FindControl(L"Tiles"));
        ASSERT_NE(tiles, nullptr);
        for (int i = 0; i < count; ++i)
            tiles->Add(Element(i, builds));
        ui->Show();
        ui->ProcessEvents(50);
    }
    CLazyContainerUI* At(int i) { return static_cast<CLazyContainerUI*>(tiles->GetItemAt(i)); }
    int Made() const
    {
        int n = 0;
        for (int b : builds) {
            EXPECT_LE(b, 1);
            n += b;
        }
        return n;
    }

    SkinFolder skin;
    TestWindow wnd;
    std::unique_ptr<CUiDriver> ui;
    CTileLayoutUI* tiles = nullptr;
    std::vector<int> builds;
};

TEST_F(LazyTest, PaintMakesOnlyTheElementsInViewAndSearchesFromAboveMakeNone)
{
    OpenTiles(1000);
    const int inView = Made();
    EXPECT_GT(inView, 0);
    EXPECT_LT(inView, 100);
    // What is in view is made and laid out; what lies below is not.
    EXPECT_TRUE(At(0)->IsBuilt());
    EXPECT_EQ(At(0)->GetItemAt(0)->GetPos(), At(0)->GetPos());
    EXPECT_FALSE(At(999)->IsBuilt());
    // A window-wide search for a name nobody has walks only what exists.
    EXPECT_EQ(wnd.GetPaintManager().FindControl(L"Nowhere"), nullptr);
    EXPECT_EQ(Made(), inView);
    // Asked for its parts, an element is made on the spot, once.
    CControlUI* part = At(999)->FindSubControl(L"Part");
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->GetTag(), 999u);
    EXPECT_EQ(At(999)->FindSubControl(L"Part"), part);
    EXPECT_EQ(Made(), inView + 1);
}

TEST_F(LazyTest, ScrollingMakesTheElementsThatComeIntoViewAndAClickReachesThem)
{
    OpenTiles(1000);
    tiles->EndDown();
    ui->ProcessEvents(50);
    EXPECT_TRUE(At(999)->IsBuilt());
    EXPECT_FALSE(At(500)->IsBuilt());
    // Clicking the last element's part works like any other control.
    ui->ClearNotifications();
    CControlUI* part = At(999)->FindSubControl(L"Part");
    ASSERT_TRUE(ui->Click(part));
    EXPECT_EQ(ui->CountOf(DUI_MSGTYPE_CLICK), 1);
    EXPECT_LT(Made(), 200);
}

// Counts the host's paints.
class Paints : public QObject {
public:
    explicit Paints(QWidget* host)
        : m_host(host)
    {
        host->installEventFilter(this);
    }
    ~Paints() override { m_host->removeEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_host && event->type() == QEvent::Paint)
            ++count;
        return false;
    }

private:
    QWidget* m_host;
};

// A new list is one paint: the elements it makes, and the layout it does
// first, are painted in it and ask for no paint after it. What lies outside
// the window asks for none at all.
TEST_F(LazyTest, ANewListIsPaintedOnceWithTheElementsItMakes)
{
    OpenTiles(1000);
    Paints paints(static_cast<QWidget*>(wnd.GetNativeWindow()));
    tiles->RemoveAll();
    std::vector<int> fresh(1000, 0);
    for (int i = 0; i < 1000; ++i)
        tiles->Add(Element(i, fresh));
    ui->WaitUntil([&] { return paints.count > 0; }, 3000);
    // Beyond the frame a second paint would come in.
    ui->ProcessEvents(60);
    EXPECT_EQ(paints.count, 1);
    EXPECT_TRUE(At(0)->IsBuilt());
    EXPECT_EQ(At(0)->GetItemAt(0)->GetPos(), At(0)->GetPos());
    EXPECT_FALSE(At(999)->IsBuilt());

    // Tiles of another size: every element moves, and one paint shows it.
    paints.count = 0;
    tiles->SetItemSize(SIZE { 60, 60 });
    ui->WaitUntil([&] { return paints.count > 0; }, 3000);
    ui->ProcessEvents(60);
    EXPECT_EQ(paints.count, 1);
    EXPECT_EQ(At(1)->GetPos().left - At(0)->GetPos().left, 60 + tiles->GetChildPadding());

    paints.count = 0;
    const SIZE client = wnd.GetPaintManager().GetClientSize();
    wnd.GetPaintManager().Invalidate(RECT { 0, client.cy + 10, 100, client.cy + 5000 });
    At(999)->Invalidate();
    ui->ProcessEvents(60);
    EXPECT_EQ(paints.count, 0);
}

// A control that counts its own end.
class Counted final : public CControlUI {
public:
    explicit Counted(int& ended)
        : m_ended(ended)
    {
    }
    ~Counted() override { ++m_ended; }

private:
    int& m_ended;
};

// Removing a thousand elements empties the list at once and frees them over
// the next frames, none while an event is being handled; what is left when
// the window goes is freed with it.
TEST_F(LazyTest, AThousandRemovedElementsAreFreedOverTheNextFramesAndWithTheWindow)
{
    OpenTiles(0);
    int ended = 0;
    auto fill = [&] {
        for (int i = 0; i < 1000; ++i)
            tiles->Add(std::make_unique<Counted>(ended));
    };
    fill();
    tiles->RemoveAll();
    EXPECT_EQ(tiles->GetCount(), 0);
    EXPECT_LT(ended, 1000) << "not all at once";
    {
        CDispatchScope dispatching(&wnd.GetPaintManager());
        ui->ProcessEvents(40);
        EXPECT_EQ(ended, 0) << "none while an event is handled";
    }
    ui->WaitUntil([&] { return ended == 1000; }, 3000);
    EXPECT_EQ(ended, 1000);

    ended = 0;
    {
        CPaintManagerUI pm;
        auto root = std::make_unique<CTileLayoutUI>();
        CTileLayoutUI* list = root.get();
        pm.AttachDialog(std::move(root));
        for (int i = 0; i < 1000; ++i)
            list->Add(std::make_unique<Counted>(ended));
        list->RemoveAll();
        EXPECT_LT(ended, 1000);
    }
    EXPECT_EQ(ended, 1000);
}

TEST(LazyContainer, HitTestingMakesTheElementUnderThePointOnly)
{
    std::vector<int> builds(1, 0);
    std::unique_ptr<CLazyContainerUI> element = Element(0, builds);
    element->SetPos(RECT { 0, 0, 50, 50 });
    EXPECT_EQ(element->FindControlAt(POINT { 80, 80 }), nullptr);
    EXPECT_FALSE(element->IsBuilt());
    CControlUI* hit = element->FindControlAt(POINT { 10, 10 });
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->GetName(), L"Part");
    EXPECT_EQ(builds[0], 1);
    // The element's own name needs no build.
    std::vector<int> other(1, 0);
    auto named = Element(0, other);
    named->SetName(L"Tile");
    EXPECT_EQ(named->FindSubControl(L"Tile"), named.get());
    EXPECT_EQ(other[0], 0);
}

} // namespace
