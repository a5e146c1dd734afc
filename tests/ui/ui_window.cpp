// The window base: the order of its calls, the builder callback, default
// keys, the caption buttons and what a destroyed window still accepts.
#include <gtest/gtest.h>

#include <QRegion>
#include <QWidget>

#include <thread>

#include "tests/ui/UiTestSupport.h"

using namespace DuiLib;
using korvana::test::SkinFolder;
using korvana::test::WindowXml;

namespace {

// A control class of the program's own, made through the builder callback.
class CBadgeUI : public CLabelUI {
public:
    std::wstring GetClass() const override { return L"BadgeUI"; }
};

class OrderWindow : public korvana::test::TestWindow {
public:
    void InitWindow() override
    {
        order.push_back(L"InitWindow");
        foundInInit = m_pm.FindControl(L"BtnOfLogin") != nullptr;
    }
    void Notify(TNotifyUI& msg) override
    {
        if (msg.sType == DUI_MSGTYPE_WINDOWINIT)
            order.push_back(L"windowinit");
        TestWindow::Notify(msg);
    }
    std::unique_ptr<CControlUI> CreateControl(const std::wstring& cls) override
    {
        if (cls == L"Badge")
            return std::make_unique<CBadgeUI>();
        return nullptr;
    }
    bool ResponseDefaultKeyEvent(WPARAM key) override
    {
        keys.push_back(key);
        return swallowKeys;
    }
    std::vector<std::wstring> order;
    std::vector<WPARAM> keys;
    bool foundInInit = false;
    bool swallowKeys = false;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        skin.Write("Test.xml", WindowXml(R"(<VerticalLayout>
            <HorizontalLayout height="30"><Control/><Button name="maxbtn" width="30"/>
              <Button name="restorebtn" width="30" visible="false"/><Button name="closebtn" width="30"/></HorizontalLayout>
            <Button name="BtnOfLogin" height="30"/><Badge name="Badge" text="3"/></VerticalLayout>)"));
        ASSERT_TRUE(wnd.Create(nullptr, L"Korvana云手机"));
        ui = std::make_unique<CUiDriver>(wnd);
        ui->Show();
    }
    SkinFolder skin;
    OrderWindow wnd;
    std::unique_ptr<CUiDriver> ui;
};

TEST_F(WindowTest, InitWindowFindsControlsBeforeWindowInit)
{
    ASSERT_EQ(wnd.order.size(), 2u);
    EXPECT_EQ(wnd.order[0], L"InitWindow");
    EXPECT_EQ(wnd.order[1], L"windowinit");
    EXPECT_TRUE(wnd.foundInInit);
    EXPECT_EQ(wnd.GetWindowTitle(), L"Korvana云手机");
    EXPECT_EQ(wnd.GetWindowRect().Width(), 400);
}

TEST_F(WindowTest, TheBuilderAsksTheWindowForItsOwnClasses)
{
    CControlUI* badge = ui->Find(L"Badge");
    ASSERT_NE(badge, nullptr);
    EXPECT_EQ(badge->GetClass(), L"BadgeUI");
    EXPECT_EQ(badge->GetText(), L"3");
}

TEST_F(WindowTest, EnterAndEscapeGoToTheWindowFirst)
{
    ui->Find(L"BtnOfLogin")->SetFocus();
    wnd.swallowKeys = true;
    ui->PressKey(UIKEY_RETURN);
    EXPECT_EQ(ui->CountOf(DUI_MSGTYPE_CLICK), 0);
    wnd.swallowKeys = false;
    ui->PressKey(UIKEY_RETURN);
    EXPECT_EQ(ui->CountOf(DUI_MSGTYPE_CLICK, L"BtnOfLogin"), 1);
    ui->PressKey(UIKEY_ESCAPE);
    ASSERT_EQ(wnd.keys.size(), 3u);
    EXPECT_EQ(wnd.keys[2], WPARAM(UIKEY_ESCAPE));
}

TEST_F(WindowTest, MaximiseSwapsTheCaptionButtons)
{
    ui->Click(L"maxbtn");
    ui->ProcessEvents(20);
    if (!wnd.IsMaximized())
        GTEST_SKIP() << "this window system does not maximise";
    EXPECT_FALSE(ui->Find(L"maxbtn")->IsVisible());
    EXPECT_TRUE(ui->Find(L"restorebtn")->IsVisible());
    ui->Click(L"restorebtn");
    ui->ProcessEvents(20);
    EXPECT_FALSE(wnd.IsMaximized());
    EXPECT_TRUE(ui->Find(L"maxbtn")->IsVisible());
}

TEST_F(WindowTest, TheWindowSystemsCloseIsACloseRequest)
{
    wnd.refuseClose = true;
    static_cast<QWidget*>(wnd.GetNativeWindow())->close();
    ui->ProcessEvents(10);
    ASSERT_EQ(wnd.closeCodes.size(), 1u);
    EXPECT_EQ(wnd.closeCodes[0], 0u);
    EXPECT_TRUE(wnd.IsWindowVisible());
}

TEST_F(WindowTest, ADestroyedWindowAnswersNothing)
{
    wnd.BeginWaitCursor();
    wnd.DestroyWindow();
    EXPECT_TRUE(wnd.IsDestroyed());
    EXPECT_FALSE(wnd.IsWindowVisible());
    EXPECT_FALSE(wnd.GetPaintManager().IsWaitCursor()) << "the wait state ends with the window";
    LRESULT answer = -1;
    std::thread worker([&] { answer = wnd.GetMessageTarget().Send(1100, 1, 0); });
    worker.join();
    EXPECT_EQ(answer, 0);
    EXPECT_TRUE(wnd.messages.empty());
    EXPECT_EQ(wnd.ShowModal(), 0u) << "returns at once";
}

TEST_F(WindowTest, SendOnTheUiThreadIsHandledAtOnce)
{
    EXPECT_EQ(wnd.SendMessage(1200, 6, 0), 7);
    ASSERT_EQ(wnd.messages.size(), 1u);
    wnd.PostMessage(1201, 0, 0);
    EXPECT_EQ(wnd.messages.size(), 1u) << "posted: later";
    ui->ProcessEvents(5);
    EXPECT_EQ(wnd.messages.size(), 2u);
}

// A window that is resized or maximised: painted, clipped and laid out at its
// new size, and its border resizes it.
class ResizeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string xml = WindowXml(R"(<VerticalLayout name="Root"><Control name="Body"/>
              <HorizontalLayout name="Bar" float="true" floatalign="right" pos="-60,0,0,30">
                <Button name="minbtn" width="30"/><Button name="closebtn" width="30"/></HorizontalLayout>
              </VerticalLayout>)");
        xml.replace(
            xml.find("<Window "), 8, "<Window mininfo=\"400,300\" roundcorner=\"4,4\" sizebox=\"4,4,4,4\" ");
        skin.Write("Test.xml", xml);
        ASSERT_TRUE(wnd.Create(nullptr, L"Korvana云手机"));
        ui = std::make_unique<CUiDriver>(wnd);
        ui->Show();
    }
    QWidget* Host() { return static_cast<QWidget*>(wnd.GetNativeWindow()); }
    SkinFolder skin;
    korvana::test::TestWindow wnd;
    std::unique_ptr<CUiDriver> ui;
};

TEST_F(ResizeTest, ALargerWindowIsClippedAndLaidOutAtItsNewSize)
{
    EXPECT_EQ(Host()->mask().boundingRect().size(), QSize(400, 300));
    wnd.ResizeClient(700, 500);
    ui->ProcessEvents(20);
    ASSERT_EQ(Host()->size(), QSize(700, 500));
    // The clip of the first size left everything beyond it black.
    EXPECT_EQ(Host()->mask().boundingRect().size(), QSize(700, 500));
    EXPECT_EQ(ui->Find(L"Root")->GetPos().Width(), 700);
    EXPECT_EQ(ui->Find(L"Root")->GetPos().Height(), 500);
    // The caption bar stays at the top right.
    EXPECT_EQ(ui->Find(L"Bar")->GetPos().right, 700);
    EXPECT_EQ(ui->Find(L"Bar")->GetPos().left, 640);
    EXPECT_EQ(ui->Find(L"closebtn")->GetPos().right, 700);
}

TEST_F(ResizeTest, TheBorderResizesTheWindowAndKeepsItsLeastSize)
{
    ui->MoveTo(POINT { 398, 298 });
    ui->MouseDown(POINT { 398, 298 });
    ui->MoveTo(POINT { 548, 398 });
    ui->MouseUp(POINT { 548, 398 });
    ui->ProcessEvents(20);
    EXPECT_EQ(Host()->size(), QSize(550, 400));
    EXPECT_EQ(ui->Find(L"Root")->GetPos().Width(), 550);
    EXPECT_EQ(Host()->mask().boundingRect().size(), QSize(550, 400));

    // Not below mininfo.
    ui->MouseDown(POINT { 548, 200 });
    ui->MoveTo(POINT { 100, 200 });
    ui->MouseUp(POINT { 100, 200 });
    ui->ProcessEvents(20);
    EXPECT_EQ(Host()->size(), QSize(400, 400));

    // Inside the border a press is the controls' as before.
    ui->MouseDown(POINT { 200, 150 });
    ui->MoveTo(POINT { 300, 250 });
    ui->MouseUp(POINT { 300, 250 });
    EXPECT_EQ(Host()->size(), QSize(400, 400));
}

} // namespace
