// What a person's clicks, keys and the engine's timers report to the
// window: exactly the notifications the page handlers rely on, from the
// right sender, with the right state, and nothing else.
#include <gtest/gtest.h>

#include <thread>

#include "tests/ui/UiTestSupport.h"
#include "ui/UIRichEdit.h"
#include "ui/UIText.h"

using namespace DuiLib;
using korvana::test::SkinFolder;
using korvana::test::TestWindow;
using korvana::test::WindowXml;

namespace {

const char* kPage = R"(
<VerticalLayout bkcolor="#FFFFFFFF">
  <HorizontalLayout height="30">
    <Control />
    <Button name="minbtn" width="30" />
    <Button name="closebtn" width="30" />
  </HorizontalLayout>
  <HorizontalLayout height="40">
    <Button name="BtnA" text="A" width="80" userdata="SignTab" tooltip="tip A" />
    <Button name="BtnOff" text="off" width="80" enabled="false" />
    <Button name="BtnOk" text="ok" width="80" default="true" />
    <CheckBox name="Box" text="box" width="80" />
  </HorizontalLayout>
  <HorizontalLayout height="40">
    <Option name="Opt1" group="G" selected="true" width="60" />
    <Option name="Opt2" group="G" width="60" />
    <Option name="Opt3" group="G" width="60" />
  </HorizontalLayout>
  <HorizontalLayout height="30">
    <RichEdit name="Edit1" width="120" />
    <RichEdit name="Edit2" width="120" password="true" />
    <Edit name="Edit3" width="120" />
  </HorizontalLayout>
  <Text name="Links" height="30" showhtml="true" align="left" text="{a /forget.html}忘记密码了？{/a}" />
  <TabLayout name="Tabs" height="40">
    <Label text="page 0" />
    <Label text="page 1" />
  </TabLayout>
  <List name="Rows" height="60" />
  <Control />
</VerticalLayout>)";

class NotifyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        skin.Write("Test.xml", WindowXml(kPage));
        ASSERT_TRUE(wnd.Create(nullptr, L"test"));
        ui = std::make_unique<CUiDriver>(wnd);
        ui->Show();
        ui->ClearNotifications();
    }
    int Count(const wchar_t* type, const wchar_t* sender = L"") { return ui->CountOf(type, sender); }

    SkinFolder skin;
    TestWindow wnd;
    std::unique_ptr<CUiDriver> ui;
};

TEST_F(NotifyTest, WindowInitArrivesOnceOnFirstShow)
{
    TestWindow other;
    ASSERT_TRUE(other.Create(nullptr, L"other"));
    CUiDriver driver(other);
    driver.Show();
    other.ShowWindow(false);
    other.ShowWindow(true);
    driver.ProcessEvents(20);
    EXPECT_EQ(driver.CountOf(DUI_MSGTYPE_WINDOWINIT), 1);
}

TEST_F(NotifyTest, OneClickFromAClickAtTheCentre)
{
    ASSERT_TRUE(ui->Click(L"BtnA"));
    EXPECT_EQ(Count(DUI_MSGTYPE_CLICK), 1);
    const NotifyRecord* click = ui->Last(DUI_MSGTYPE_CLICK);
    ASSERT_NE(click, nullptr);
    EXPECT_EQ(click->sender, L"BtnA");
    EXPECT_EQ(click->userData, L"SignTab");

    // Disabled: nothing. Pressed here, released elsewhere: nothing.
    ui->ClearNotifications();
    EXPECT_TRUE(ui->Click(L"BtnOff"));
    POINT a = ui->CentreOf(ui->Find(L"BtnA"));
    ui->MoveTo(a);
    ui->MouseDown(a);
    ui->MoveTo(POINT { a.x, a.y + 100 });
    ui->MouseUp(POINT { a.x, a.y + 100 });
    EXPECT_EQ(Count(DUI_MSGTYPE_CLICK), 0);
}

TEST_F(NotifyTest, TagAndUserDataTravelWithTheSender)
{
    ui->Find(L"BtnA")->SetTag(42);
    ui->Click(L"BtnA");
    ASSERT_NE(ui->Last(DUI_MSGTYPE_CLICK), nullptr);
    EXPECT_EQ(ui->Last(DUI_MSGTYPE_CLICK)->tag, 42u);
}

TEST_F(NotifyTest, OptionGroupReportsOnlyTheNewlySelectedOne)
{
    auto* o1 = static_cast<COptionUI*>(ui->Find(L"Opt1"));
    auto* o2 = static_cast<COptionUI*>(ui->Find(L"Opt2"));
    ASSERT_TRUE(o1->IsSelected());
    ui->Click(L"Opt2");
    EXPECT_TRUE(o2->IsSelected());
    EXPECT_FALSE(o1->IsSelected());
    EXPECT_EQ(Count(DUI_MSGTYPE_SELECTCHANGED), 1);
    EXPECT_EQ(Count(DUI_MSGTYPE_SELECTCHANGED, L"Opt2"), 1);
    EXPECT_EQ(Count(DUI_MSGTYPE_CLICK, L"Opt2"), 1);

    // Selecting the selected one reports no change, by click or by code.
    ui->ClearNotifications();
    ui->Click(L"Opt2");
    o2->Selected(true);
    EXPECT_EQ(Count(DUI_MSGTYPE_SELECTCHANGED), 0);
    EXPECT_TRUE(o2->IsSelected());

    // From code without notification.
    static_cast<COptionUI*>(ui->Find(L"Opt3"))->Selected(true, false);
    EXPECT_FALSE(o2->IsSelected());
    EXPECT_EQ(Count(DUI_MSGTYPE_SELECTCHANGED), 0);
}

TEST_F(NotifyTest, CheckBoxClickBeforeToggleSelectChangedAfter)
{
    auto* box = static_cast<CCheckBoxUI*>(ui->Find(L"Box"));
    ASSERT_FALSE(box->GetCheck());
    ui->Click(L"Box");
    std::vector<NotifyRecord> seen;
    for (const auto& r : ui->Notifications())
        if (r.type == DUI_MSGTYPE_CLICK || r.type == DUI_MSGTYPE_SELECTCHANGED)
            seen.push_back(r);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].type, DUI_MSGTYPE_CLICK);
    EXPECT_FALSE(seen[0].selected) << "click sees the state before the toggle";
    EXPECT_EQ(seen[1].type, DUI_MSGTYPE_SELECTCHANGED);
    EXPECT_TRUE(seen[1].selected) << "selectchanged sees the state after";
    EXPECT_TRUE(box->GetCheck());
    ui->Click(L"Box");
    EXPECT_FALSE(box->GetCheck());
    EXPECT_TRUE(ui->Last(DUI_MSGTYPE_CLICK)->selected);
}

TEST_F(NotifyTest, TabSelectOnlyWhenThePageChanges)
{
    auto* tabs = static_cast<CTabLayoutUI*>(ui->Find(L"Tabs"));
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_TRUE(tabs->SelectItem(1));
    ASSERT_EQ(Count(DUI_MSGTYPE_TABSELECT, L"Tabs"), 1);
    EXPECT_EQ(ui->Last(DUI_MSGTYPE_TABSELECT)->wParam, 1u);
    EXPECT_EQ(ui->Last(DUI_MSGTYPE_TABSELECT)->lParam, 0);
    EXPECT_FALSE(tabs->GetItemAt(0)->IsVisible());
    EXPECT_TRUE(tabs->GetItemAt(1)->IsVisible());
    EXPECT_TRUE(tabs->SelectItem(1));
    EXPECT_FALSE(tabs->SelectItem(5));
    EXPECT_EQ(Count(DUI_MSGTYPE_TABSELECT), 1);
}

TEST_F(NotifyTest, TimersArriveWithTheirIdAndStop)
{
    CControlUI* a = ui->Find(L"BtnA");
    ASSERT_TRUE(a->SetTimer(84652, 10));
    ASSERT_TRUE(ui->WaitUntil([&] { return Count(DUI_MSGTYPE_TIMER, L"BtnA") >= 3; }, 3000));
    EXPECT_EQ(ui->Last(DUI_MSGTYPE_TIMER)->wParam, 84652u);
    EXPECT_TRUE(wnd.GetPaintManager().KillTimer(a, 84652));
    ui->ProcessEvents(5);
    ui->ClearNotifications();
    ui->ProcessEvents(60);
    EXPECT_EQ(Count(DUI_MSGTYPE_TIMER), 0);
    EXPECT_FALSE(wnd.GetPaintManager().KillTimer(a, 84652));
}

TEST_F(NotifyTest, RemovingAControlStopsItsTimers)
{
    auto* rows = static_cast<CListUI*>(ui->Find(L"Rows"));
    auto row = std::make_unique<CListLabelElementUI>();
    row->SetName(L"Row");
    CControlUI* raw = rows->Add(std::move(row));
    ASSERT_TRUE(raw->SetTimer(7, 10));
    ASSERT_TRUE(raw->SetTimer(8, 10));
    ASSERT_TRUE(ui->WaitUntil([&] { return Count(DUI_MSGTYPE_TIMER, L"Row") >= 2; }, 3000));
    rows->RemoveAll();
    EXPECT_FALSE(wnd.GetPaintManager().HasTimer(raw, 7));
    EXPECT_FALSE(wnd.GetPaintManager().HasTimer(raw, 8));
    ui->ClearNotifications();
    ui->ProcessEvents(60);
    EXPECT_EQ(Count(DUI_MSGTYPE_TIMER), 0);
    EXPECT_EQ(wnd.GetPaintManager().FindControl(L"Row"), nullptr);
}

TEST_F(NotifyTest, AHandlerMayRemoveItsOwnSender)
{
    auto* rows = static_cast<CListUI*>(ui->Find(L"Rows"));
    auto row = std::make_unique<CListContainerElementUI>();
    row->SetFixedHeight(30);
    auto button = std::make_unique<CButtonUI>();
    button->SetName(L"Doomed");
    row->Add(std::move(button));
    rows->Add(std::move(row));
    wnd.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType == DUI_MSGTYPE_CLICK && msg.pSender->GetName() == L"Doomed")
            rows->RemoveAll();
    };
    ASSERT_TRUE(ui->Click(L"Doomed"));
    EXPECT_EQ(Count(DUI_MSGTYPE_CLICK, L"Doomed"), 1);
    EXPECT_EQ(rows->GetCount(), 0);
    EXPECT_EQ(ui->Find(L"Doomed"), nullptr);
    ui->ProcessEvents(10);
}

TEST_F(NotifyTest, TypingReportsTextChangedOnlyWhenTheMaskAsks)
{
    auto* e1 = static_cast<CRichEditUI*>(ui->Find(L"Edit1"));
    ASSERT_TRUE(ui->TypeText(L"Edit1", L"ab"));
    EXPECT_EQ(e1->GetText(), L"ab");
    EXPECT_EQ(Count(DUI_MSGTYPE_TEXTCHANGED), 0) << "a rich edit reports changes only when asked";

    e1->SetEventMask(ENM_CHANGE);
    ASSERT_TRUE(ui->TypeText(L"Edit1", L"c中"));
    EXPECT_EQ(e1->GetText(), L"abc中");
    EXPECT_EQ(Count(DUI_MSGTYPE_TEXTCHANGED, L"Edit1"), 2) << "one per key";

    ui->ClearNotifications();
    e1->SetText(L"from code");
    EXPECT_EQ(Count(DUI_MSGTYPE_TEXTCHANGED), 0);
    EXPECT_EQ(e1->GetText(), L"from code");

    // A plain edit reports by default.
    ASSERT_TRUE(ui->TypeText(L"Edit3", L"x"));
    EXPECT_EQ(Count(DUI_MSGTYPE_TEXTCHANGED, L"Edit3"), 1);
}

TEST_F(NotifyTest, PasswordEditKeepsTheRealTextAndLimitsLength)
{
    auto* e2 = static_cast<CRichEditUI*>(ui->Find(L"Edit2"));
    e2->SetMaxChar(4);
    ASSERT_TRUE(ui->TypeText(L"Edit2", L"secret"));
    EXPECT_EQ(e2->GetText(), L"secr");
    EXPECT_TRUE(e2->IsPasswordMode());
    e2->SetReadOnly(true);
    ui->Click(L"BtnA");
    ASSERT_TRUE(ui->TypeText(L"Edit2", L"zz"));
    EXPECT_EQ(e2->GetText(), L"secr");
}

TEST_F(NotifyTest, FocusMovesWithClicksAndTabAndIsReported)
{
    ui->Click(L"Edit1");
    EXPECT_EQ(wnd.GetPaintManager().GetFocus(), ui->Find(L"Edit1"));
    EXPECT_EQ(Count(DUI_MSGTYPE_SETFOCUS, L"Edit1"), 1);
    ui->PressKey(UIKEY_TAB);
    EXPECT_EQ(wnd.GetPaintManager().GetFocus(), ui->Find(L"Edit2"));
    EXPECT_EQ(Count(DUI_MSGTYPE_KILLFOCUS, L"Edit1"), 1);
    EXPECT_EQ(Count(DUI_MSGTYPE_SETFOCUS, L"Edit2"), 1);
    ui->PressKey(UIKEY_TAB, true);
    EXPECT_EQ(wnd.GetPaintManager().GetFocus(), ui->Find(L"Edit1"));

    // Hidden or disabled controls are passed over.
    ui->Find(L"Edit2")->SetVisible(false);
    ui->Find(L"Edit3")->SetEnabled(false);
    ui->PressKey(UIKEY_TAB);
    EXPECT_EQ(wnd.GetPaintManager().GetFocus()->GetName(), L"Rows");
}

TEST_F(NotifyTest, EnterActivatesTheFocusedButtonOrTheDefaultOne)
{
    ui->Find(L"BtnA")->SetFocus();
    ui->PressKey(UIKEY_RETURN);
    EXPECT_EQ(Count(DUI_MSGTYPE_CLICK, L"BtnA"), 1);
    ui->Click(L"Edit1");
    ui->PressKey(UIKEY_RETURN);
    EXPECT_EQ(Count(DUI_MSGTYPE_RETURN, L"Edit1"), 1);
    EXPECT_EQ(Count(DUI_MSGTYPE_CLICK, L"BtnOk"), 1);
}

TEST_F(NotifyTest, WaitCursorKeepsTheMouseFromTheControls)
{
    wnd.BeginWaitCursor();
    EXPECT_TRUE(wnd.GetPaintManager().IsWaitCursor());
    ui->Click(L"BtnA");
    ui->Click(L"Box");
    EXPECT_EQ(Count(DUI_MSGTYPE_CLICK), 0);
    EXPECT_FALSE(static_cast<CCheckBoxUI*>(ui->Find(L"Box"))->GetCheck());
    wnd.EndWaitCursor();
    ui->Click(L"BtnA");
    EXPECT_EQ(Count(DUI_MSGTYPE_CLICK, L"BtnA"), 1);
}

TEST_F(NotifyTest, HoverReportsEnterAndLeave)
{
    CControlUI* a = ui->Find(L"BtnA");
    ui->MoveTo(ui->CentreOf(a));
    EXPECT_EQ(Count(DUI_MSGTYPE_MOUSEENTER, L"BtnA"), 1);
    ui->MoveTo(POINT { ui->CentreOf(a).x + 1, ui->CentreOf(a).y });
    EXPECT_EQ(Count(DUI_MSGTYPE_MOUSEENTER, L"BtnA"), 1) << "moving inside is no new enter";
    ui->MoveTo(ui->CentreOf(ui->Find(L"BtnOk")));
    EXPECT_EQ(Count(DUI_MSGTYPE_MOUSELEAVE, L"BtnA"), 1);
    EXPECT_EQ(Count(DUI_MSGTYPE_MOUSEENTER, L"BtnOk"), 1);
}

TEST_F(NotifyTest, LinkClickReportsItsTarget)
{
    auto* text = static_cast<CTextUI*>(ui->Find(L"Links"));
    ui->SavePng("/dev/null"); // a paint lays the links out
    ASSERT_EQ(text->GetLinkCount(), 1);
    const RECT& rc = text->GetPos();
    ui->ClickAt(POINT { rc.left + 10, rc.top + 6 });
    ASSERT_EQ(Count(DUI_MSGTYPE_LINK, L"Links"), 1);
    EXPECT_EQ(ui->Last(DUI_MSGTYPE_LINK)->link, L"/forget.html");
    EXPECT_EQ(text->GetLinkContent(0), L"/forget.html");
    ui->ClickAt(POINT { rc.right - 2, rc.top + 6 });
    EXPECT_EQ(Count(DUI_MSGTYPE_LINK), 1) << "beside the link is no link";
}

TEST_F(NotifyTest, ListClickSelectsTheRowOnce)
{
    auto* rows = static_cast<CListUI*>(ui->Find(L"Rows"));
    for (const wchar_t* t : { L"我的设备", L"分组一" }) {
        auto row = std::make_unique<CListLabelElementUI>();
        row->SetText(t);
        row->SetFixedHeight(25);
        rows->Add(std::move(row));
    }
    ui->Click(rows->GetItemAt(1));
    EXPECT_EQ(rows->GetCurSel(), 1);
    ASSERT_EQ(Count(DUI_MSGTYPE_ITEMSELECT, L"Rows"), 1);
    EXPECT_EQ(ui->Last(DUI_MSGTYPE_ITEMSELECT)->wParam, 1u);
    ui->Click(rows->GetItemAt(1));
    EXPECT_EQ(Count(DUI_MSGTYPE_ITEMSELECT), 1);
    rows->SelectItem(0, false, false);
    EXPECT_EQ(Count(DUI_MSGTYPE_ITEMSELECT), 1);
    EXPECT_EQ(rows->GetCurSel(), 0);
}

TEST_F(NotifyTest, CloseButtonRequestsCloseWithCodeOne)
{
    wnd.refuseClose = true;
    ui->Click(L"closebtn");
    ui->ProcessEvents(10);
    ASSERT_EQ(wnd.closeCodes.size(), 1u);
    EXPECT_EQ(wnd.closeCodes[0], 1u);
    EXPECT_FALSE(wnd.IsDestroyed()) << "a refused close keeps the window";

    wnd.refuseClose = false;
    wnd.Close(1065);
    EXPECT_EQ(wnd.ShowModal(), 1065u);
    EXPECT_TRUE(wnd.IsDestroyed());
    EXPECT_EQ(wnd.closeCodes.back(), 1065u);
}

TEST_F(NotifyTest, QuitMessageEndsTheModalLoop)
{
    wnd.PostQuitMessage(3);
    EXPECT_EQ(wnd.ShowModal(), 3u);
    EXPECT_FALSE(wnd.IsDestroyed());
}

TEST_F(NotifyTest, MessagesFromAWorkerReachHandleCustomMessageInOrder)
{
    LRESULT sent = 0;
    std::thread worker([&] {
        wnd.GetMessageTarget().Post(1100, 1, 0);
        sent = wnd.GetMessageTarget().Send(1101, 41, 0);
    });
    ASSERT_TRUE(ui->WaitUntil([&] { return wnd.messages.size() == 2; }, 3000));
    worker.join();
    EXPECT_EQ(wnd.messages[0].msg, 1100u);
    EXPECT_EQ(wnd.messages[1].msg, 1101u);
    EXPECT_EQ(sent, 42);
}

TEST_F(NotifyTest, MouseWheelScrollsAContainerWithAScrollBar)
{
    auto* rows = static_cast<CListUI*>(ui->Find(L"Rows"));
    rows->GetList()->EnableScrollBar(true);
    for (int i = 0; i < 10; ++i) {
        auto row = std::make_unique<CListLabelElementUI>();
        row->SetFixedHeight(25);
        rows->Add(std::move(row));
    }
    wnd.GetPaintManager().UpdateLayout();
    int top = rows->GetItemAt(0)->GetPos().top;
    ASSERT_GT(rows->GetList()->GetScrollRange().cy, 0);
    ui->Wheel(L"Rows", -1);
    EXPECT_GT(rows->GetList()->GetScrollPos().cy, 0);
    EXPECT_LT(rows->GetItemAt(0)->GetPos().top, top);
    ui->Wheel(L"Rows", 10);
    EXPECT_EQ(rows->GetList()->GetScrollPos().cy, 0);
    EXPECT_EQ(rows->GetItemAt(0)->GetPos().top, top);
}

} // namespace
