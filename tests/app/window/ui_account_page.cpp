// The account page in the real window against korvana-service: the user's
// information after the login, the balance, the picture, the nickname, the
// password change, the invitation code and the buttons at the bottom.
#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <fstream>

#include "account/AccountPage.h"
#include "account/ProfileTasks.h"
#include "account/UserInfo.h"
#include "app/ClientManager.h"
#include "app/actions/AccountActions.h"
#include "app/window/CMainWnd.h"
#include "platform/Clipboard.h"
#include "platform/Utf8.h"
#include "tests/support/MainWindowTest.h"
#include "ui/UIEdit.h"
#include "ui/UIManager.h"
#include "ui/UIOption.h"
#include "ui/UITabLayout.h"

namespace {

using namespace korvana::test;

class AccountPageTest : public MainWindowTest {
protected:
    void SignInAsDemo()
    {
        StartWindow();
        SignInAs(L"demo", L"korvana123");
        ASSERT_EQ(MainWindowPage(), 1);
        ASSERT_TRUE(WaitFor([&] { return Find(L"ConOfUserICON")->GetBkImage() == Picture(); }));
        ASSERT_TRUE(WaitForTasks());
    }
    void OpenAccountPage()
    {
        ASSERT_TRUE(ui().Click(L"OptOfAccount"));
        ASSERT_EQ(MainTabPage(), 0);
        ASSERT_TRUE(WaitForTasks());
        ui().ProcessEvents(20);
    }
    std::wstring Text(const std::wstring& name) const { return Find(name)->GetText(); }
    std::wstring Picture() const { return AvatarFilePath("42"); }
    void Refresh()
    {
        window().Account().RefreshUserInfo();
        ASSERT_TRUE(WaitForTasks());
        ui().ProcessEvents(20);
    }
    std::string WritePng(const std::string& name, int size, QColor colour)
    {
        QImage image(size, size, QImage::Format_RGB32);
        image.fill(colour);
        const std::string path = (folder() / name).string();
        image.save(QString::fromStdString(path), "PNG");
        return path;
    }
};

TEST_F(AccountPageTest, TheLoginBringsNameBalancePictureAndInvitationCode)
{
    SignInAsDemo();
    EXPECT_EQ(Text(L"LabOfUserNameInMainTab"), L"演示用户");
    EXPECT_EQ(Text(L"EditOfNickName"), L"演示用户");
    EXPECT_EQ(Text(L"LabOfBalance"), L"100");
    EXPECT_EQ(Text(L"LabOfBalanceInMainTab"), L"可用积分 100");
    EXPECT_EQ(Text(L"EditOfInvitationCode"), L"KV000042");
    EXPECT_EQ(Find(L"BtnOfFileSel")->GetBkImage(), Picture());
    EXPECT_EQ(window().Paint().GetImageSize(Picture()).cx, 128);
    EXPECT_EQ(boxes().Count(), 0u);
    OpenAccountPage();
    EXPECT_TRUE(ui().SavePng(PngPath("account_page")));
}

TEST_F(AccountPageTest, TheBalanceIsShownWholeAndOnlyWithQtzPoint)
{
    SignInAsDemo();
    control().InjectFault({ { "path", "/api/qtz/front_user_get_info" },
        { "body", R"({"status":true,"message":"{\"id\":\"42\",\"qtz_money\":\"12.8\",\"qtz_point\":3}"})" },
        { "times", 1 } });
    Refresh();
    EXPECT_EQ(Text(L"LabOfBalance"), L"12");
    EXPECT_EQ(Text(L"LabOfBalanceInMainTab"), L"可用积分 12");
    EXPECT_EQ(window().Client().user.pointsText, L"12.8");

    control().InjectFault({ { "path", "/api/qtz/front_user_get_info" },
        { "body", R"({"status":true,"message":"{\"id\":\"42\",\"qtz_money\":\"99.9\"}"})" },
        { "times", 1 } });
    Refresh();
    EXPECT_EQ(Text(L"LabOfBalance"), L"12");
    EXPECT_EQ(Text(L"LabOfBalanceInMainTab"), L"可用积分 12");

    // Numbers where texts belong change nothing that is shown.
    control().InjectFault({ { "path", "/api/qtz/front_user_get_info" },
        { "body", R"({"status":true,"message":"{\"id\":5,\"nickname\":5,\"qtz_money\":5}"})" },
        { "times", 1 } });
    Refresh();
    EXPECT_EQ(Text(L"LabOfUserNameInMainTab"), L"演示用户");
    EXPECT_EQ(Text(L"LabOfBalance"), L"12");
    EXPECT_EQ(boxes().Count(), 0u);

    control().InjectFault(
        { { "path", "/api/qtz/front_user_get_info" }, { "kind", "not_json" }, { "times", 1 } });
    Refresh();
    EXPECT_EQ(boxes().Count(), 1u);
    control().InjectFault({ { "path", "/api/qtz/front_user_get_info" },
        { "body", R"({"status":false,"message":"-1000"})" }, { "times", 1 } });
    Refresh();
    EXPECT_EQ(boxes().CountOf(L"请重新登陆！", L"错误"), 1u);
    EXPECT_EQ(MainWindowPage(), 0);
}

TEST_F(AccountPageTest, SavingTheSameNicknameWithoutAPictureSendsNothing)
{
    SignInAsDemo();
    OpenAccountPage();
    control().ClearLog();
    ASSERT_TRUE(ui().Click(L"BtnOfSetUserInfo"));
    ASSERT_TRUE(WaitForTasks());
    EXPECT_TRUE(control().RequestsTo("/api/qtz/front_user_set_info").empty());
    EXPECT_EQ(boxes().Count(), 0u);

    FindAs<DuiLib::CEditUI>(L"EditOfNickName")->SetText(L"");
    ASSERT_TRUE(ui().Click(L"BtnOfSetUserInfo"));
    EXPECT_EQ(boxes().CountOf(L"昵称不能为空！", L"错误"), 1u);
    ASSERT_TRUE(WaitForTasks());
    EXPECT_TRUE(control().RequestsTo("/api/qtz/front_user_set_info").empty());

    FindAs<DuiLib::CEditUI>(L"EditOfNickName")->SetText(L"新昵称");
    ASSERT_TRUE(ui().Click(L"BtnOfSetUserInfo"));
    ASSERT_TRUE(WaitFor([&] { return Text(L"LabOfUserNameInMainTab") == L"新昵称"; }));
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_user_set_info").back().body,
        "&nickname=%E6%96%B0%E6%98%B5%E7%A7%B0&avatar=&comment=");
}

TEST_F(AccountPageTest, AChosenPictureIsPreviewedSentAndShownAfterTheSave)
{
    SignInAsDemo();
    OpenAccountPage();
    const std::string chosen = WritePng("chosen.png", 64, QColor(200, 40, 40));
    FileChooserStub chooser(std::filesystem::path(chosen).wstring());
    ASSERT_TRUE(ui().Click(L"BtnOfFileSel"));
    ASSERT_EQ(chooser.Titles().size(), 1u);
    EXPECT_EQ(chooser.Titles()[0], L"请选择头像图片");
    EXPECT_EQ(Find(L"BtnOfFileSel")->GetBkImage(), std::filesystem::path(chosen).wstring());

    ASSERT_TRUE(ui().Click(L"BtnOfSetUserInfo"));
    ASSERT_TRUE(WaitFor([&] { return Find(L"BtnOfFileSel")->GetBkImage() == Picture(); }));
    ASSERT_TRUE(WaitForTasks());
    ui().ProcessEvents(20);
    EXPECT_EQ(window().Paint().GetImageSize(Picture()).cx, 64);
    EXPECT_EQ(Find(L"ConOfUserICON")->GetBkImage(), Picture());
    const std::string body = control().RequestsTo("/api/qtz/front_user_set_info").back().body;
    EXPECT_EQ(body.rfind("&nickname=%E6%BC%94%E7%A4%BA%E7%94%A8%E6%88%B7&avatar=iVBORw0KGgo", 0), 0u);
    EXPECT_NE(body.find("%0D%0A"), std::string::npos);
    EXPECT_EQ(boxes().Count(), 0u);
    EXPECT_TRUE(ui().SavePng(PngPath("account_page_new_picture")));

    // A cancelled dialog leaves nothing pending.
    chooser.SetAnswer(L"");
    ASSERT_TRUE(ui().Click(L"BtnOfFileSel"));
    auto* page = dynamic_cast<AccountPage*>(&window().Account());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->avatarFile(), L"");
}

TEST_F(AccountPageTest, APictureThatIsNoImageOrTooLargeLeavesThePreviousOneAndSaysWhy)
{
    SignInAsDemo();
    const std::wstring before = Find(L"ConOfUserICON")->GetBkImage();
    const std::pair<nlohmann::json, const wchar_t*> cases[]
        = { { { { "path", "/api/index/avatar" }, { "body", "<html>not a picture</html>" }, { "times", 1 } },
                kAvatarNotPictureText },
              { { { "path", "/api/index/avatar" }, { "body", std::string(50u << 20, 'x') }, { "times", 1 } },
                  kAvatarTooLargeText } };
    for (const auto& [fault, text] : cases) {
        boxes().Clear();
        control().InjectFault(fault);
        Refresh();
        EXPECT_EQ(Find(L"ConOfUserICON")->GetBkImage(), before);
        EXPECT_EQ(window().Paint().GetImageSize(Picture()).cx, 128);
        EXPECT_TRUE(std::filesystem::exists(Utf8OfWide(Picture())));
        EXPECT_FALSE(std::filesystem::exists(AvatarDownloadPath("42")));
        EXPECT_EQ(boxes().CountOf(text, L"错误"), 1u) << fault.dump().substr(0, 60);
        EXPECT_EQ(boxes().Count(), 1u);
    }
}

// Two refreshes at once (the login's and a click on 我的账户) used to run
// side by side, one parsing into the user's members while the other's
// picture download read them. Now the second runs after the first: the
// service never sees them overlap and the page ends with one consistent user.
TEST_F(AccountPageTest, TwoQuickUserInformationLoadsRunOneAfterTheOther)
{
    SignInAsDemo();
    control().ClearLog();
    // Slow answers give an overlap every chance to show.
    control().InjectFault(
        { { "path", "/api/qtz/front_user_get_info" }, { "delay_ms", 300 }, { "times", 2 } });
    window().Account().RefreshUserInfo();
    window().Account().RefreshUserInfo();
    window().Account().RefreshUserInfo();
    ASSERT_TRUE(WaitForTasks());
    ui().ProcessEvents(20);
    // The third request merged into the second: two loads, two pictures.
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_user_get_info").size(), 2u);
    EXPECT_EQ(control().RequestsTo("/api/index/avatar").size(), 2u);
    EXPECT_EQ(Text(L"LabOfUserNameInMainTab"), L"演示用户");
    EXPECT_EQ(Find(L"ConOfUserICON")->GetBkImage(), Picture());
    EXPECT_EQ(window().Paint().GetImageSize(Picture()).cx, 128);
    EXPECT_FALSE(std::filesystem::exists(AvatarDownloadPath("42")));
    EXPECT_EQ(boxes().Count(), 0u);
}

TEST_F(AccountPageTest, APasswordChangeUsesTheLoginsPasswordAndReturnsToSignIn)
{
    SignInAsDemo();
    OpenAccountPage();
    ASSERT_TRUE(ui().Click(L"BtnOfChangePwd"));
    EXPECT_EQ(boxes().CountOf(L"密码不能为空！", L"错误"), 1u);
    ASSERT_TRUE(ui().TypeText(L"EditOfOldPwd", L"wrong-old"));
    ASSERT_TRUE(ui().TypeText(L"EditOfNewPwd", L"brand&new1"));
    ASSERT_TRUE(ui().TypeText(L"EditOfVerifyPwd", L"brand&new2"));
    ASSERT_TRUE(ui().Click(L"BtnOfChangePwd"));
    EXPECT_EQ(boxes().CountOf(L"密码输入不一致", L"错误"), 1u);
    FindAs<DuiLib::CEditUI>(L"EditOfVerifyPwd")->SetText(L"brand&new1");
    ASSERT_TRUE(ui().Click(L"BtnOfChangePwd"));
    ASSERT_TRUE(WaitFor([&] { return MainWindowPage() == 0; }));
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_user_reset_password").back().body,
        "&password=korvana123&new_password=brand%26new1");
    EXPECT_EQ(Text(L"EditOfLoginPwd"), L"");
    EXPECT_EQ(Text(L"EditOfLoginName"), L"demo");
    EXPECT_EQ(boxes().Count(), 2u);

    SignInAs(L"demo", L"brand&new1");
    EXPECT_EQ(MainWindowPage(), 1);
}

TEST_F(AccountPageTest, ARefusedPasswordChangeIsShown)
{
    SignInAsDemo();
    OpenAccountPage();
    window().Client().user.loginPassword = L"not-the-password";
    ASSERT_TRUE(ui().TypeText(L"EditOfOldPwd", L"x"));
    ASSERT_TRUE(ui().TypeText(L"EditOfNewPwd", L"another1"));
    ASSERT_TRUE(ui().TypeText(L"EditOfVerifyPwd", L"another1"));
    ASSERT_TRUE(ui().Click(L"BtnOfChangePwd"));
    ASSERT_TRUE(WaitFor([&] { return boxes().Count() == 1u; }));
    EXPECT_EQ(boxes().CountOf(L"原密码错误", L"错误"), 1u);
    EXPECT_EQ(MainWindowPage(), 1);
}

TEST_F(AccountPageTest, TheInvitationCodeGoesToTheClipboardAndTheButtonsSignOutOrAsk)
{
    SignInAsDemo();
    window().Paint().SendNotify(Find(L"BtnOfCopyInvitationCode"), L"click");
    EXPECT_EQ(ClipboardText(), L"KV000042");

    OpenAccountPage();
    ASSERT_TRUE(ui().Click(L"BtnOfBuy"));
    EXPECT_TRUE(FindAs<DuiLib::COptionUI>(L"OptOfCharge")->IsSelected());
    EXPECT_EQ(FindAs<DuiLib::CTabLayoutUI>(L"TabOfGoods")->GetCurSel(), 1);
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    ASSERT_TRUE(ui().Click(L"OptOfAccount"));
    ASSERT_TRUE(WaitForTasks());
    boxes().Answer(MessageBoxAnswer::Cancel);
    ASSERT_TRUE(ui().Click(L"BtnOfQuit"));
    EXPECT_TRUE(WaitFor([&] { return boxes().CountOf(L"要退出么？", L"提示") == 1u; }));
    EXPECT_EQ(MainWindowPage(), 1);

    ASSERT_TRUE(ui().Click(L"BtnOfLogOut"));
    ASSERT_TRUE(WaitFor([&] { return MainWindowPage() == 0 && !IsWaiting(); }));
    EXPECT_EQ(window().Client().user.loginState, kLoginStateLoggedOut);
    ASSERT_TRUE(WaitForTasks());

    // Another user whose picture does not come is not shown with the first one's.
    control().InjectFault({ { "path", "/api/index/avatar" }, { "drop", true } });
    FindAs<DuiLib::CEditUI>(L"EditOfLoginName")->SetText(L"");
    FindAs<DuiLib::CEditUI>(L"EditOfLoginPwd")->SetText(L"");
    SignInAs(L"张三", L"korvana123");
    ASSERT_TRUE(WaitFor([&] { return Text(L"LabOfUserNameInMainTab") == L"张三"; }));
    ASSERT_TRUE(WaitForTasks());
    ui().ProcessEvents(20);
    EXPECT_EQ(Find(L"ConOfUserICON")->GetBkImage(), L"img/user/avatar_128.png");
    EXPECT_EQ(Find(L"BtnOfFileSel")->GetBkImage(), L"img/user/avatar_70.png");
    EXPECT_EQ(boxes().CountOf(L"请求错误，请检查网络连接或尝试重启软件。", L"错误"), 1u);
}

} // namespace
