// The registration and profile tasks against korvana-service: the exact
// bytes they send, what they leave in the ClientManager, the messages they
// report, and how they take answers that are not what they should be.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>

#include "account/Login.h"
#include "account/ProfileTasks.h"
#include "account/SignupTasks.h"
#include "account/UserInfo.h"
#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/Messages.h"
#include "net/ServiceCall.h"
#include "tests/support/RecordingTarget.h"
#include "tests/support/SignedInTest.h"

namespace {

using namespace korvana::test;

class AccountTaskTest : public SignedInTest {
protected:
    AccountTaskTest()
        : SignedInTest([](UINT, WPARAM) { return true; }, SignInAt::Test)
    {
    }

    RecordedMessage Last()
    {
        auto messages = window->Messages();
        EXPECT_FALSE(messages.empty());
        return messages.empty() ? RecordedMessage {} : messages.back();
    }
    // The load as the window sees it: the answer taken on its report.
    void Refresh()
    {
        RefreshUserInfo(*client, 0);
        AdoptUserInfo(*client);
    }
    // The download as the page starts it: with a copy of the user's picture.
    void DownloadAvatarOfUser()
    {
        AvatarSource source { client->user.avatarPath, client->user.userId };
        DownloadAvatar(*client, source);
    }
    std::string SmsCodeOf(const std::string& phone)
    {
        RawResponse r = control().Get("/__test/account/sms_code?phone=" + phone);
        return nlohmann::json::parse(r.body).value("code", "");
    }
    std::string Query(const std::string& path)
    {
        auto log = control().RequestsTo(path);
        return log.empty() ? std::string("<none>") : log.back().query;
    }
    std::string Body(const std::string& path)
    {
        auto log = control().RequestsTo(path);
        return log.empty() ? std::string("<none>") : log.back().body;
    }
};

TEST_F(AccountTaskTest, TheNameCheckSendsTheNameSoTheServiceReadsItBack)
{
    client->signup.signupName = L"a b&rule=x#张";
    VerifyUserName(*client, 0);
    RecordedMessage m = Last();
    EXPECT_EQ(m.msg, msg::UM_VERIFY_NAME);
    EXPECT_EQ(m.wParam, 0u);
    EXPECT_TRUE(client->signup.signupNameOk);
    auto log = control().RequestsTo("/api/index/verify");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].method, "GET");
    EXPECT_EQ(log[0].query, "type=unique&rule=user,name&value=a%20b%26rule%3Dx%23%D5%C5");
    // The service echoes what it read: the whole name, nothing of it a key.
    EXPECT_EQ(nlohmann::json::parse(m.text).value("value", ""), "a b&rule=x#张");

    client->signup.signupName = L"张三";
    VerifyUserName(*client, 0);
    EXPECT_FALSE(client->signup.signupNameOk);
    EXPECT_EQ(Last().text, L"用户名已存在");
    EXPECT_EQ(Query("/api/index/verify"), "type=unique&rule=user,name&value=%D5%C5%C8%FD");
}

TEST_F(AccountTaskTest, ThePhoneCheckAndAFailedRequestKeepsTheVerdict)
{
    client->signup.signupPhone = L"13800000042";
    VerifyPhone(*client, 0);
    EXPECT_FALSE(client->signup.signupPhoneOk);
    EXPECT_EQ(Last().msg, msg::UM_VERIFY_PHONE);
    EXPECT_EQ(Last().text, L"手机号已注册");
    EXPECT_EQ(Query("/api/index/verify"), "type=unique&rule=user,phone&value=13800000042");

    client->signup.signupPhone = L"13912345678";
    VerifyPhone(*client, 0);
    EXPECT_TRUE(client->signup.signupPhoneOk);

    for (const char* kind : { "drop", "not_json", "wrong_types" }) {
        control().ClearFaults();
        if (std::string(kind) == "drop")
            control().InjectFault({ { "path", "/api/index/verify" }, { "drop", true } });
        else
            control().InjectFault({ { "path", "/api/index/verify" }, { "kind", kind } });
        client->signup.signupPhoneOk = true;
        client->signup.signupPhone = L"13912345678";
        VerifyPhone(*client, 0);
        if (std::string(kind) == "drop") {
            EXPECT_TRUE(client->signup.signupPhoneOk);
            EXPECT_EQ(Last().text, kRequestFailedText);
            // Forgotten, so the next check asks again.
            EXPECT_EQ(client->signup.signupPhone, L"");
        } else {
            // An answer that is no success is a refusal.
            EXPECT_FALSE(client->signup.signupPhoneOk) << kind;
        }
    }
}

TEST_F(AccountTaskTest, TheSmsRequestSendsThePhoneAndReadsTheMessage)
{
    client->signup.signupPhone = L"13912345678";
    SendSmsCode(*client, 0);
    EXPECT_EQ(Body("/api/qtz/front_user_register_send_message"), "&phone=13912345678");
    EXPECT_EQ(Last().msg, msg::UM_SMS_SENT);
    EXPECT_EQ(Last().text, L"验证码已发送，请注意查收");
    EXPECT_EQ(client->signup.smsResultText, L"验证码已发送，请注意查收");
    EXPECT_EQ(SmsCodeOf("13912345678").size(), 6u);

    // A payload without "msg" gives the empty text; a refusal its message.
    control().InjectFault({ { "path", "/api/qtz/front_user_register_send_message" },
        { "body", R"({"status":true,"message":"{\"code\":0}"})" }, { "times", 1 } });
    SendSmsCode(*client, 0);
    EXPECT_EQ(Last().text, L"");
    client->signup.signupPhone = L"13800000042";
    SendSmsCode(*client, 0);
    EXPECT_EQ(Last().text, L"手机号已注册");
}

TEST_F(AccountTaskTest, ARegistrationSendsEveryValueWholeAndNoEmptyInviteCode)
{
    client->signup.signupPhone = L"13912345678";
    SendSmsCode(*client, 0);
    const std::string code = SmsCodeOf("13912345678");
    client->signup.signupName = L"新用户 a&b";
    client->signup.signupPassword = L"pa&ss=1 #";
    client->signup.smsCode = std::wstring(code.begin(), code.end());
    RegisterUser(*client, 0);
    EXPECT_EQ(Last().msg, msg::UM_SIGNUP);
    EXPECT_EQ(Last().wParam, msg::kSignupDone) << Last().text;
    EXPECT_EQ(Body("/api/qtz/front_user_register"),
        "&password=pa%26ss%3D1%20%23&phone=13912345678&username="
        "%D0%C2%D3%C3%BB%A7%20a%26b&code="
            + code);
    // The new user signs in with exactly that password.
    SignIn(L"新用户 a&b", L"pa&ss=1 #");
    EXPECT_EQ(
        Body("/api/qtz/front_user_login"), "username=%D0%C2%D3%C3%BB%A7%20a%26b&password=pa%26ss%3D1%20%23");
}

TEST_F(AccountTaskTest, AnInviteCodeIsSentWhenTypedAndRefusalsAndFailuresAreTold)
{
    client->signup.signupPhone = L"13912345678";
    SendSmsCode(*client, 0);
    const std::string code = SmsCodeOf("13912345678");
    client->signup.signupName = L"invited";
    client->signup.signupPassword = L"secret1";
    client->signup.smsCode = std::wstring(code.begin(), code.end());
    client->signup.inviteCode = L"NOSUCH";
    RegisterUser(*client, 0);
    EXPECT_EQ(Last().wParam, msg::kSignupRefused);
    EXPECT_EQ(Last().text, L"邀请码不存在");
    EXPECT_EQ(Body("/api/qtz/front_user_register"),
        "&password=secret1&phone=13912345678&username=invited&code=" + code + "&invite_code=NOSUCH");

    control().InjectFault({ { "path", "/api/qtz/front_user_register" }, { "drop", true }, { "times", 1 } });
    client->signup.inviteCode = L"KV000042";
    RegisterUser(*client, 0);
    EXPECT_EQ(Last().wParam, msg::kSignupRequestFailed);
    EXPECT_EQ(Last().text, kRequestFailedText);

    control().InjectFault(
        { { "path", "/api/qtz/front_user_register" }, { "kind", "not_json" }, { "times", 1 } });
    RegisterUser(*client, 0);
    EXPECT_EQ(Last().wParam, msg::kSignupRefused);

    RegisterUser(*client, 0);
    EXPECT_EQ(Last().wParam, msg::kSignupDone) << Last().text;
    SignIn(L"invited", L"secret1");
    Refresh();
    EXPECT_EQ(Last().wParam, msg::kUserInfoLoaded);
    EXPECT_FALSE(client->user.myInviteCode.empty());
    EXPECT_NE(client->user.myInviteCode, L"KV000042");
}

TEST_F(AccountTaskTest, TheUserInformationAndThePictureArrive)
{
    SignIn();
    Refresh();
    EXPECT_EQ(Body("/api/qtz/front_user_get_info"), "");
    EXPECT_EQ(Last().msg, msg::UM_USERINFO);
    ASSERT_EQ(Last().wParam, msg::kUserInfoLoaded);
    EXPECT_EQ(client->user.userId, "42");
    EXPECT_EQ(client->user.nickname, L"演示用户");
    EXPECT_EQ(client->user.pointsText, L"100.50");
    EXPECT_EQ(client->user.pointsWholeText, L"100");
    EXPECT_EQ(client->user.myInviteCode, L"KV000042");

    DownloadAvatarOfUser();
    EXPECT_EQ(Last().wParam, msg::kAvatarSaved);
    std::ifstream in(AvatarDownloadPath("42"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.substr(0, 4), "\x89PNG");
    auto log = control().RequestsTo("/api/index/avatar");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].query, "id=42&v=1");
}

TEST_F(AccountTaskTest, BadInformationAnswersAreFailuresOrLeaveTheUserAlone)
{
    Refresh();
    EXPECT_EQ(Last().wParam, msg::kUserInfoFailed);
    EXPECT_EQ(Last().text, kSessionExpiredText);

    SignIn();
    Refresh();
    const UserMembers before = client->user;
    control().InjectFault({ { "path", "/api/qtz/front_user_get_info" },
        { "body",
            R"({"status":true,"message":"{\"id\":7,\"nickname\":1,\"qtz_money\":2.5,)"
            R"(\"qtz_point\":1,\"avatar\":null}"})" },
        { "times", 1 } });
    Refresh();
    EXPECT_EQ(Last().wParam, msg::kUserInfoLoaded);
    EXPECT_EQ(client->user.userId, before.userId);
    EXPECT_EQ(client->user.nickname, before.nickname);
    EXPECT_EQ(client->user.avatarPath, before.avatarPath);
    EXPECT_EQ(client->user.pointsWholeText, before.pointsWholeText);

    for (const char* kind : { "not_json", "wrong_types", "empty" }) {
        control().InjectFault(
            { { "path", "/api/qtz/front_user_get_info" }, { "kind", kind }, { "times", 1 } });
        Refresh();
        EXPECT_EQ(Last().wParam, msg::kUserInfoFailed) << kind;
    }
    control().InjectFault(
        { { "path", "/api/qtz/front_user_get_info" }, { "truncate", true }, { "times", 1 } });
    Refresh();
    EXPECT_EQ(Last().wParam, msg::kUserInfoFailed);
    EXPECT_EQ(Last().text, kRequestFailedText);
}

TEST_F(AccountTaskTest, APictureTooLargeIsNotKeptAndAFailedDownloadIsTold)
{
    SignIn();
    Refresh();
    control().InjectFault(
        { { "path", "/api/index/avatar" }, { "body", std::string(50u << 20, 'A') }, { "times", 1 } });
    DownloadAvatarOfUser();
    EXPECT_EQ(Last().wParam, msg::kAvatarFailed);
    EXPECT_EQ(Last().text, kAvatarTooLargeText);
    EXPECT_FALSE(std::filesystem::exists(AvatarDownloadPath("42")));

    control().InjectFault({ { "path", "/api/index/avatar" }, { "status", 404 }, { "times", 1 } });
    DownloadAvatarOfUser();
    EXPECT_EQ(Last().wParam, msg::kAvatarFailed);
    EXPECT_EQ(Last().text, kRequestFailedText);
}

TEST_F(AccountTaskTest, SavingTheProfileSendsThePictureAsBase64LinesFormEncoded)
{
    SignIn();
    Refresh();
    window->Messages();
    const std::size_t before = window->Messages().size();

    // The same nickname and no picture: nothing is sent, nothing reported.
    ProfileChange unchanged { client->user.nickname, client->user.nickname, L"" };
    SetUserInfo(*client, unchanged);
    EXPECT_EQ(window->Messages().size(), before);
    EXPECT_TRUE(control().RequestsTo("/api/qtz/front_user_set_info").empty());
    // A picture that cannot be read counts as none.
    ProfileChange missing { client->user.nickname, client->user.nickname,
        (folder() / "missing.png").wstring() };
    SetUserInfo(*client, missing);
    EXPECT_TRUE(control().RequestsTo("/api/qtz/front_user_set_info").empty());

    ProfileChange picture { client->user.nickname, client->user.nickname,
        (folder() / "three.png").wstring() };
    std::ofstream(folder() / "three.png", std::ios::binary) << "ABC";
    SetUserInfo(*client, picture);
    // The nickname in UTF-8; the service keeps the 3 bytes it got.
    EXPECT_EQ(Body("/api/qtz/front_user_set_info"),
        "&nickname=%E6%BC%94%E7%A4%BA%E7%94%A8%E6%88%B7&avatar=QUJD%0D%0A&comment=");
    EXPECT_EQ(Last().msg, msg::UM_PROFILE);
    EXPECT_EQ(Last().wParam, msg::kProfileSaved);
    RawResponse served = control().Get("/api/index/avatar?id=42&v=2");
    EXPECT_EQ(served.body, "ABC");

    ProfileChange renamed { client->user.nickname, L"新 昵称&1", L"" };
    SetUserInfo(*client, renamed);
    EXPECT_EQ(Body("/api/qtz/front_user_set_info"),
        "&nickname=%E6%96%B0%20%E6%98%B5%E7%A7%B0%261&avatar=&comment=");
    Refresh();
    EXPECT_EQ(client->user.nickname, L"新 昵称&1");

    control().InjectFault(
        { { "path", "/api/qtz/front_user_set_info" }, { "body", R"({"status":false,"message":"-1000"})" } });
    ProfileChange refused { client->user.nickname, L"other", L"" };
    SetUserInfo(*client, refused);
    EXPECT_EQ(Last().wParam, msg::kProfileFailed);
    EXPECT_EQ(Last().text, kSessionExpiredText);
}

TEST_F(AccountTaskTest, APasswordChangeProvesItselfWithTheLoginsPassword)
{
    SignIn();
    PasswordChange change { client->user.loginPassword, L"new&pass 1" };
    ChangePassword(*client, change);
    EXPECT_EQ(Body("/api/qtz/front_user_reset_password"), "&password=korvana123&new_password=new%26pass%201");
    EXPECT_EQ(Last().msg, msg::UM_PROFILE);
    EXPECT_EQ(Last().wParam, msg::kPasswordChanged);

    // The login's password is now the old one: refused, with its message.
    ChangePassword(*client, change);
    EXPECT_EQ(Last().wParam, msg::kPasswordRefused);
    EXPECT_EQ(Last().text, L"原密码错误");

    SignIn(L"demo", L"new&pass 1");
    control().InjectFault({ { "path", "/api/qtz/front_user_reset_password" }, { "drop", true } });
    change.loginPassword = client->user.loginPassword;
    ChangePassword(*client, change);
    EXPECT_EQ(Last().wParam, msg::kProfileFailed);
    EXPECT_EQ(Last().text, kRequestFailedText);
}

} // namespace
