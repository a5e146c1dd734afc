// Control behaviour the pages lean on: name lookup as trees change, option
// groups across built elements, progress values, list rows and columns,
// the window's caption and buttons, and the drop shadow.
#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QWidget>

#include "tests/ui/UiTestSupport.h"
#include "ui/UIDialogBuilder.h"
#include "ui/UIRichEdit.h"
#include "ui/UITreeNode.h"

using namespace DuiLib;
using korvana::test::SkinFolder;
using korvana::test::TestWindow;
using korvana::test::WindowXml;

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void Open(const std::string& body, const std::string& extra = "")
    {
        skin.Write("Test.xml", WindowXml(body, extra));
        ASSERT_TRUE(wnd.Create(nullptr, L"controls"));
        ui = std::make_unique<CUiDriver>(wnd);
        ui->Show();
        ui->ClearNotifications();
    }
    CPaintManagerUI& pm() { return wnd.GetPaintManager(); }

    SkinFolder skin;
    TestWindow wnd;
    std::unique_ptr<CUiDriver> ui;
};

TEST_F(ControlsTest, NameLookupFollowsTheTreeAsItChanges)
{
    Open(
        R"(<VerticalLayout><Button name="BtnOfAddNew"/><TileLayout name="Tiles" itemsize="50,50"/></VerticalLayout>)");
    auto* tiles = static_cast<CTileLayoutUI*>(ui->Find(L"Tiles"));
    CControlUI* toolbar = ui->Find(L"BtnOfAddNew");
    // A tile with a button of the same name: the window's first one stays found.
    auto tile = std::make_unique<CVerticalLayoutUI>();
    auto inner = std::make_unique<CButtonUI>();
    inner->SetName(L"BtnOfAddNew");
    CControlUI* innerRaw = tile->Add(std::move(inner));
    CControlUI* tileRaw = tiles->Add(std::move(tile));
    EXPECT_EQ(pm().FindControl(L"BtnOfAddNew"), toolbar);
    EXPECT_EQ(tileRaw->FindSubControl(L"BtnOfAddNew"), innerRaw);
    // Gone from the window, the other one is found.
    static_cast<CContainerUI*>(pm().GetRoot())->Remove(toolbar);
    EXPECT_EQ(pm().FindControl(L"BtnOfAddNew"), innerRaw);
    // Renamed: found by the new name only.
    innerRaw->SetName(L"Renamed");
    EXPECT_EQ(pm().FindControl(L"BtnOfAddNew"), nullptr);
    EXPECT_EQ(pm().FindControl(L"Renamed"), innerRaw);
    tiles->RemoveAll();
    EXPECT_EQ(pm().FindControl(L"Renamed"), nullptr);
}

TEST_F(ControlsTest, DetachKeepsTheControlAliveAndOutOfTheWindow)
{
    Open(
        R"(<VerticalLayout name="Root"><Button name="Moving"/><HorizontalLayout name="Other"/></VerticalLayout>)");
    auto* root = static_cast<CContainerUI*>(pm().GetRoot());
    CControlUI* moving = ui->Find(L"Moving");
    ASSERT_TRUE(moving->SetTimer(1, 10));
    std::unique_ptr<CControlUI> owned = root->Detach(moving);
    ASSERT_EQ(owned.get(), moving);
    EXPECT_EQ(moving->GetManager(), nullptr);
    EXPECT_FALSE(pm().HasTimer(moving, 1)) << "a control leaving the window loses its timers";
    EXPECT_EQ(pm().FindControl(L"Moving"), nullptr);
    static_cast<CContainerUI*>(ui->Find(L"Other"))->Add(std::move(owned));
    EXPECT_EQ(pm().FindControl(L"Moving"), moving);
    EXPECT_EQ(moving->GetParent(), ui->Find(L"Other"));
    EXPECT_EQ(root->Detach(nullptr), nullptr);
}

TEST_F(ControlsTest, CheckBoxesOfAGroupInBuiltElementsSelectOneAtATime)
{
    skin.Write("Card.xml",
        R"(<Container><CheckBox name="CBoxOfPrice" group="PriceList" width="120" height="60"/></Container>)");
    Open(R"(<TileLayout name="TileOfPrice" itemsize="120,60"/>)");
    auto* tile = static_cast<CTileLayoutUI*>(ui->Find(L"TileOfPrice"));
    std::vector<CCheckBoxUI*> cards;
    for (int i = 0; i < 3; ++i) {
        auto card = BuildElement(L"Card.xml");
        ASSERT_NE(card, nullptr);
        card->SetTag(static_cast<std::uintptr_t>(i));
        cards.push_back(static_cast<CCheckBoxUI*>(tile->Add(std::move(card))));
    }
    cards[0]->SetCheck(true, false);
    ui->Click(cards[2]);
    EXPECT_FALSE(cards[0]->GetCheck());
    EXPECT_TRUE(cards[2]->GetCheck());
    EXPECT_EQ(ui->CountOf(DUI_MSGTYPE_SELECTCHANGED), 1);
    EXPECT_EQ(ui->Last(DUI_MSGTYPE_SELECTCHANGED)->tag, 2u);
    ui->Click(cards[2]);
    EXPECT_TRUE(cards[2]->GetCheck()) << "in a group a click does not unselect";
    // Removing the cards takes them out of the group.
    tile->RemoveAll();
    ui->ProcessEvents(5);
    EXPECT_TRUE(pm().GetOptionGroup(L"PriceList").empty());
}

TEST_F(ControlsTest, ProgressValueStaysInsideItsRange)
{
    Open(
        R"(<Progress name="P" min="0" max="100" value="30" foreimage="img/bar.png" forecolor="#FF00FF00"/>)");
    auto* p = static_cast<CProgressUI*>(ui->Find(L"P"));
    EXPECT_EQ(p->GetValue(), 30);
    p->SetValue(150);
    EXPECT_EQ(p->GetValue(), 100);
    p->SetValue(-5);
    EXPECT_EQ(p->GetValue(), 0);
    p->SetMaxValue(50);
    p->SetValue(25);
    ASSERT_TRUE(ui->SavePng(skin.Path("p.png").string()));
    QImage img(QString::fromStdString(skin.Path("p.png").string()));
    EXPECT_EQ(img.pixelColor(img.width() / 4, img.height() / 2), QColor(Qt::green)) << "the covered half";
    EXPECT_NE(img.pixelColor(img.width() * 3 / 4, img.height() / 2), QColor(Qt::green)) << "the rest";
}

TEST_F(ControlsTest, ListRowsKeepIndexAndSelectionThroughChanges)
{
    Open(
        R"(<List name="L" itemselectedbkcolor="#FF0000FF"><ListHeader><ListHeaderItem width="100" text="日期"/>
        <ListHeaderItem width="100" text="金额"/></ListHeader></List>)");
    auto* list = static_cast<CListUI*>(ui->Find(L"L"));
    ASSERT_NE(list->GetHeader(), nullptr);
    EXPECT_EQ(list->GetCount(), 0) << "the header is no row";
    std::vector<CListTextElementUI*> rows;
    for (int i = 0; i < 4; ++i) {
        auto row = std::make_unique<CListTextElementUI>();
        row->SetFixedHeight(20);
        row->SetText(0, L"2026-01-0" + std::to_wstring(i + 1));
        row->SetText(1, std::to_wstring(i * 10));
        rows.push_back(static_cast<CListTextElementUI*>(list->Add(std::move(row))));
    }
    EXPECT_EQ(rows[3]->GetIndex(), 3);
    EXPECT_EQ(rows[1]->GetText(1), L"10");
    EXPECT_EQ(rows[1]->GetText(7), L"");
    list->SelectItem(2);
    list->RemoveAt(0);
    EXPECT_EQ(list->GetCurSel(), 1) << "the selected row moves up with its index";
    EXPECT_EQ(rows[2]->GetIndex(), 1);
    EXPECT_TRUE(rows[2]->IsSelected());
    list->RemoveAt(1);
    EXPECT_EQ(list->GetCurSel(), -1) << "removing the selected row clears the selection";
    // Arrow keys move the selection once the list has the focus.
    ui->Click(list->GetItemAt(0));
    ui->PressKey(UIKEY_DOWN);
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_EQ(ui->CountOf(DUI_MSGTYPE_ITEMSELECT), 3) << "SelectItem(2), the click, the key";
}

TEST_F(ControlsTest, TreeNodesNestAndFold)
{
    Open(
        R"(<TreeView name="TV"><TreeNode name="Root" text="所有设备分组"><TreeNode name="Child" text="一"/></TreeNode></TreeView>)");
    auto* root = dynamic_cast<CTreeNodeUI*>(ui->Find(L"Root"));
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->GetChildCount(), 1);
    EXPECT_EQ(root->GetChildNode(0)->GetParentNode(), root);
    EXPECT_EQ(root->GetItemText(), L"所有设备分组");
    EXPECT_EQ(root->Add(std::make_unique<CButtonUI>()), nullptr) << "only nodes go into a node";
    root->SetExpanded(false);
    EXPECT_FALSE(root->GetChildNode(0)->IsVisible());
}

TEST_F(ControlsTest, MultiLineEditTakesReturnWhenItWantsIt)
{
    Open(R"(<VerticalLayout><RichEdit name="Note" height="80" multiline="true" wantreturn="true"/>
        <Button name="Ok" height="30" default="true"/></VerticalLayout>)");
    auto* note = static_cast<CRichEditUI*>(ui->Find(L"Note"));
    note->SetEventMask(ENM_CHANGE);
    ASSERT_TRUE(ui->TypeText(L"Note", L"ab"));
    ui->PressKey(UIKEY_RETURN);
    ASSERT_TRUE(ui->TypeText(L"Note", L"c"));
    EXPECT_EQ(note->GetText(), L"ab\nc");
    EXPECT_EQ(ui->CountOf(DUI_MSGTYPE_CLICK, L"Ok"), 0);
    note->SetText(L"x\ny");
    EXPECT_EQ(note->GetText(), L"x\ny");
    // A single-line edit folds line breaks given by code.
    auto single = std::make_unique<CEditUI>();
    single->SetText(L"a\nb");
    EXPECT_EQ(single->GetText(), L"a b");
}

TEST_F(ControlsTest, HidingTheFocusedEditDropsTheFocusAndItsEditor)
{
    Open(R"(<TabLayout name="T"><RichEdit name="E"/><Label text="other"/></TabLayout>)");
    ui->Click(L"E");
    auto* edit = static_cast<CRichEditUI*>(ui->Find(L"E"));
    ASSERT_NE(edit->GetNativeEditor(), nullptr);
    static_cast<CTabLayoutUI*>(ui->Find(L"T"))->SelectItem(1);
    EXPECT_EQ(pm().GetFocus(), nullptr);
    EXPECT_EQ(edit->GetNativeEditor(), nullptr);
    EXPECT_EQ(ui->CountOf(DUI_MSGTYPE_KILLFOCUS, L"E"), 1);
}

TEST_F(ControlsTest, CaptionDragMovesTheWindowButButtonsThereStillClick)
{
    Open(
        R"(<VerticalLayout><HorizontalLayout height="30"><Control/><Button name="minbtn" width="30"/></HorizontalLayout>
        <Control/></VerticalLayout>)");
    auto* host = static_cast<QWidget*>(wnd.GetNativeWindow());
    wnd.MoveWindow(100, 100);
    ui->ProcessEvents(5);
    QPoint before = host->pos();
    ui->MouseDown(POINT { 50, 10 });
    QMouseEvent move(QEvent::MouseMove, QPointF(80, 30), host->mapToGlobal(QPointF(80, 30)), Qt::NoButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(host, &move);
    ui->MouseUp(POINT { 80, 30 });
    EXPECT_EQ(host->pos() - before, QPoint(30, 20));
    EXPECT_EQ(ui->CountOf(DUI_MSGTYPE_CLICK), 0);
    ui->Click(L"minbtn");
    EXPECT_EQ(ui->CountOf(DUI_MSGTYPE_CLICK, L"minbtn"), 1);
}

TEST_F(ControlsTest, ShadowFollowsItsWindow)
{
    Open(R"(<Control bkcolor="#FFFFFFFF"/>)");
    CWndShadow shadow;
    ASSERT_TRUE(shadow.Create(wnd));
    EXPECT_TRUE(shadow.SetSize(6));
    EXPECT_TRUE(shadow.SetPosition(0, 0));
    EXPECT_TRUE(shadow.SetDarkness(50));
    EXPECT_FALSE(shadow.SetDarkness(300));
    EXPECT_FALSE(shadow.SetSize(-1));
    EXPECT_EQ(shadow.GetSize(), 6);
    EXPECT_EQ(shadow.GetDarkness(), 50u);
    EXPECT_TRUE(shadow.IsShown());
    wnd.ShowWindow(false);
    EXPECT_FALSE(shadow.IsShown());
    wnd.ShowWindow(true);
    EXPECT_TRUE(shadow.IsShown());
    CWndShadow none;
    TestWindow notCreated;
    EXPECT_FALSE(none.Create(notCreated));
}

} // namespace
