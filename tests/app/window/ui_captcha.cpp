// The two captcha pictures in the real window: the local picture code of the
// registration form and the service captcha of the hidden sign-in row.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "account/Captcha.h"
#include "app/ClientManager.h"
#include "app/window/CMainWnd.h"
#include "platform/Utf8.h"
#include "tests/support/MainWindowTest.h"
#include "ui/UIControl.h"
#include "ui/UIManager.h"

namespace {

using namespace korvana::test;

class CaptchaWindowTest : public MainWindowTest { };

TEST_F(CaptchaWindowTest, APictureCodeReplacesTheSharedImageAndResetsTheField)
{
    StartWindow();
    Find(L"EditOfPicCaptcha")->SetText(L"old");
    Find(L"CtrlOfPicCaptcha")->SetBkImage(L"img/ok_15.png");
    window().Client().signup.pictureCodeOk = true;

    // Two pictures made within one second are the same.
    std::wstring first;
    std::wstring second;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const std::time_t before = std::time(nullptr);
        ASSERT_TRUE(RefreshPictureCaptcha(window()));
        first = window().Client().signup.expectedPictureCode;
        ASSERT_TRUE(RefreshPictureCaptcha(window()));
        second = window().Client().signup.expectedPictureCode;
        if (std::time(nullptr) == before)
            break;
    }
    EXPECT_EQ(first, second);
    EXPECT_EQ(first.size(), 4u);
    EXPECT_EQ(Find(L"EditOfPicCaptcha")->GetText(), L"");
    EXPECT_EQ(Find(L"CtrlOfPicCaptcha")->GetBkImage(), L"");
    EXPECT_FALSE(window().Client().signup.pictureCodeOk);
    EXPECT_EQ(Find(L"BtnOfPicCaptcha")->GetBkImage(), L"ImageOfVerify");
    EXPECT_TRUE(window().Paint().IsImageCached(L"ImageOfVerify"));
    const DuiLib::SIZE size = window().Paint().GetImageSize(L"ImageOfVerify");
    EXPECT_EQ(size.cx, 130);
    EXPECT_EQ(size.cy, 50);

    ASSERT_TRUE(ui().Click(L"BtnOfSignupTab"));
    ui().ProcessEvents(50);
    EXPECT_TRUE(ui().SavePng(PngPath("signup_picture_code")));
}

TEST_F(CaptchaWindowTest, TheServiceCaptchaButtonFetchesAPictureAndShowsIt)
{
    StartWindow();
    DuiLib::CControlUI* button = Find(L"BtnOfSigninCaptcha");
    // The row is hidden in the layout; the button is reached as the engine
    // would report a click on it.
    window().Paint().SendNotify(button, L"click");
    EXPECT_TRUE(IsWaiting());
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    const std::wstring name = window().Client().user.captchaName;
    const std::wstring file = CaptchaFilePath(name);
    EXPECT_EQ(button->GetBkImage(), file);
    EXPECT_TRUE(std::filesystem::exists(Utf8OfWide(file)));
    EXPECT_EQ(window().Paint().GetImageSize(file).cx, 100);
    EXPECT_EQ(boxes().Count(), 0u);

    // The next click first deletes the picture it replaces.
    control().InjectFault({ { "path", "/api/index/captcha" }, { "drop", true } });
    window().Paint().SendNotify(button, L"click");
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    EXPECT_EQ(boxes().CountOf(L"请求错误，请检查网络连接或尝试重启软件。", L"错误"), 1u);
    if (window().Client().user.captchaName != name) {
        EXPECT_FALSE(std::filesystem::exists(Utf8OfWide(file)));
    }
}

} // namespace
