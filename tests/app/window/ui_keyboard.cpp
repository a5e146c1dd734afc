// The keyboard as a new user meets it: where the focus starts, the Tab order
// of the sign-in page, the focus ring, and Enter in the fields that have an
// obvious action.
#include <gtest/gtest.h>

#include <QImage>

#include "app/ClientManager.h"
#include "app/SettingsFile.h"
#include "app/window/CMainWnd.h"
#include "devices/DevicePage.h"
#include "tests/support/MainWindowTest.h"
#include "ui/UIButton.h"
#include "ui/UIEdit.h"
#include "ui/UIManager.h"
#include "ui/UITileLayout.h"

namespace {

using namespace korvana::test;
using namespace DuiLib;

class KeyboardTest : public MainWindowTest {
protected:
    std::wstring FocusName()
    {
        CControlUI* focus = window().Paint().GetFocus();
        return focus ? focus->GetName() : L"<none>";
    }
    QImage Grab(const std::string& name)
    {
        const std::string path = PngPath(name);
        EXPECT_TRUE(ui().SavePng(path));
        return QImage(QString::fromStdString(path));
    }
};

TEST_F(KeyboardTest, FocusStartsInTheNameFieldAndTabGoesThroughTheSignInFields)
{
    StartWindow();
    EXPECT_EQ(FocusName(), L"EditOfLoginName");
    const std::vector<std::wstring> expected { L"EditOfLoginPwd", L"CBoxOfRememberPwd", L"BtnOfLogin",
        L"BtnOfSignupTab", L"EditOfLoginName" };
    for (const std::wstring& next : expected) {
        ui().PressKey(UIKEY_TAB);
        EXPECT_EQ(FocusName(), next);
    }
    // Backwards the same way, past none of the caption buttons.
    ui().PressKey(UIKEY_TAB, true);
    EXPECT_EQ(FocusName(), L"BtnOfSignupTab");
}

TEST_F(KeyboardTest, ARememberedLoginStartsOnTheLoginButton)
{
    Settings().SaveRememberedLogin(L"demo", L"");
    StartWindow();
    EXPECT_EQ(FocusName(), L"EditOfLoginPwd");
    EndWindow();
    Settings().SaveRememberedLogin(L"demo", L"korvana123");
    StartWindow();
    EXPECT_EQ(FocusName(), L"BtnOfLogin");
}

TEST_F(KeyboardTest, TheFocusedButtonShowsARing)
{
    StartWindow();
    CControlUI* login = Find(L"BtnOfLogin");
    const RECT r = login->GetPos();
    const QImage before = Grab("keyboard-login-unfocused.png");
    login->SetFocus();
    const QImage after = Grab("keyboard-login-focused.png");
    ASSERT_FALSE(before.isNull());
    const int midX = (r.left + r.right) / 2;
    // The ring's inner tone lies two pixels inside the edge.
    EXPECT_NE(before.pixel(midX, r.top + 2), after.pixel(midX, r.top + 2));
    EXPECT_GE(qRed(after.pixel(midX, r.top + 2)), 230);
    EXPECT_GE(qGreen(after.pixel(midX, r.top + 2)), 230) << "a white line";
    // The middle of the button is as it was.
    EXPECT_EQ(
        before.pixel(r.left + 6, (r.top + r.bottom) / 2), after.pixel(r.left + 6, (r.top + r.bottom) / 2));
}

TEST_F(KeyboardTest, EnterInThePasswordFieldSignsIn)
{
    StartWindow();
    ASSERT_TRUE(ui().TypeText(L"EditOfLoginName", L"demo"));
    ui().PressKey(UIKEY_RETURN);
    EXPECT_EQ(FocusName(), L"EditOfLoginPwd") << "Enter in the name goes on to the password";
    ASSERT_TRUE(ui().TypeText(L"EditOfLoginPwd", L"korvana123"));
    ui().PressKey(UIKEY_RETURN);
    ASSERT_TRUE(WaitFor([&] { return window().IsLoggedIn(); }));
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_user_login").size(), 1u);
    EXPECT_EQ(MainWindowPage(), 1);
}

TEST_F(KeyboardTest, EnterInADevicesNameFieldSavesTheName)
{
    StartWindow();
    auto* page = dynamic_cast<DevicePage*>(&window().Devices());
    SignInAs(L"demo", L"korvana123");
    ASSERT_TRUE(WaitFor([&] { return page->FinishedLoads() > 0 && !IsWaiting(); }));
    auto* tiles = FindAs<CTileLayoutUI>(L"TileOfDevice");
    ASSERT_GT(tiles->GetCount(), 0);
    CControlUI* tile = tiles->GetItemAt(0);
    ASSERT_TRUE(ui().Click(tile->FindSubControl(L"CBoxOfModifyDeviceName")));
    auto* edit = dynamic_cast<CEditUI*>(tile->FindSubControl(L"EditOfDeviceName"));
    ASSERT_EQ(window().Paint().GetFocus(), edit);
    ASSERT_TRUE(ui().TypeText(L"EditOfDeviceName", L"Pad A"));
    ui().PressKey(UIKEY_RETURN);
    EXPECT_EQ(boxes().CountOf(L"要保存么？", L"提示"), 1u);
    EXPECT_FALSE(edit->IsEnabled());
    ASSERT_TRUE(WaitFor([&] { return control().RequestsTo("/api/qtz/front_device_set").size() == 1; }));
    EXPECT_NE(
        control().RequestsTo("/api/qtz/front_device_set")[0].body.find("name=Pad%20A"), std::string::npos);
}

} // namespace
