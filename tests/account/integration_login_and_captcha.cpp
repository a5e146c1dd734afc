// The login, logout and service captcha tasks against korvana-service: the
// bytes they send, the state they leave, the messages they report.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "account/Captcha.h"
#include "account/Login.h"
#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/Messages.h"
#include "net/ServiceCall.h"
#include "tests/support/RecordingTarget.h"
#include "tests/support/ServiceTest.h"

namespace {

using namespace korvana::test;

class LoginTaskTest : public ServiceTest {
protected:
    void SetUp() override
    {
        ServiceTest::SetUp();
        InitLocalPaths(folder().string());
        std::filesystem::create_directories(GetLocalPaths().folder.narrow);
    }

    RecordedMessage Only()
    {
        auto messages = window.Messages();
        EXPECT_EQ(messages.size(), 1u);
        return messages.empty() ? RecordedMessage {} : messages.back();
    }
    void Login(const std::wstring& name, const std::wstring& password)
    {
        client->user.loginName = name;
        client->user.loginPassword = password;
        RequestLogin(*client, 0);
    }

    RecordingTarget window { [](UINT, WPARAM) { return true; } };
    std::shared_ptr<ClientManager> client = std::make_shared<ClientManager>(&window);
};

TEST_F(LoginTaskTest, ALoginSendsNameAndPasswordAndMarksTheSession)
{
    Login(L"demo", L"korvana123");
    RecordedMessage m = Only();
    EXPECT_EQ(m.msg, msg::UM_LOGIN);
    EXPECT_EQ(m.wParam, 0u);
    EXPECT_TRUE(m.sent);
    EXPECT_EQ(client->user.loginState, kLoginStateLoggedIn);
    auto log = control().RequestsTo("/api/qtz/front_user_login");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].method, "POST");
    EXPECT_EQ(log[0].body, "username=demo&password=korvana123");
    EXPECT_EQ(control().Sessions().size(), 1u);
}

TEST_F(LoginTaskTest, NamesGoInTheCodePageAndSymbolsAreEncodedValueByValue)
{
    Login(L"张三", L"korvana123");
    EXPECT_EQ(client->user.loginState, kLoginStateLoggedIn);
    Login(L"a b+c", L"x=y%z");
    EXPECT_EQ(client->user.loginState, kLoginStateLoggedIn) << "a refusal leaves the state as it was";
    auto log = control().RequestsTo("/api/qtz/front_user_login");
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].body, "username=%D5%C5%C8%FD&password=korvana123");
    EXPECT_EQ(log[1].body, "username=a%20b%2Bc&password=x%3Dy%25z");
}

TEST_F(LoginTaskTest, APasswordOutsideTheCodePageEmptiesTheWholeBody)
{
    Login(L"demo", L"пароль\U0001F600");
    EXPECT_EQ(client->user.loginState, kLoginStateLoggedOut);
    auto log = control().RequestsTo("/api/qtz/front_user_login");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].body, "");
}

TEST_F(LoginTaskTest, ARefusalReportsTheServicesTextAndAnswersThatAreNoEnvelopeReportNothing)
{
    Login(L"demo", L"wrong");
    EXPECT_EQ(window.Messages().back().text, L"用户名或密码错误");
    EXPECT_EQ(client->user.loginState, kLoginStateLoggedOut);
    control().InjectFault({ { "path", "/api/qtz/front_user_login" }, { "kind", "wrong_types" } });
    Login(L"demo", L"korvana123");
    EXPECT_EQ(client->user.loginState, kLoginStateLoggedOut);
    control().InjectFault({ { "path", "/api/qtz/front_user_login" }, { "truncate", true } });
    Login(L"demo", L"korvana123");
    EXPECT_EQ(window.Messages().back().text, kRequestFailedText);
    EXPECT_EQ(client->user.loginState, kLoginStateLoggedOut);
}

TEST_F(LoginTaskTest, ALogoutEndsTheSessionAndOneWithoutSessionSaysSo)
{
    Login(L"demo", L"korvana123");
    RequestLogout(*client, 0);
    EXPECT_EQ(window.Messages().back().msg, msg::UM_LOGOUT);
    EXPECT_EQ(client->user.loginState, kLoginStateLoggedOut);
    EXPECT_TRUE(control().Sessions().empty());
    auto log = control().RequestsTo("/api/qtz/front_user_logout");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].body, "");
    // Without a session the service answers "-1000" and the state stays.
    client->user.loginState = kLoginStateLoggedIn;
    RequestLogout(*client, 0);
    EXPECT_EQ(window.Messages().back().text, L"-1000");
    EXPECT_EQ(client->user.loginState, kLoginStateLoggedIn);
}

TEST_F(LoginTaskTest, TheServiceCaptchaIsSavedUnderItsTimeAndSetsItsCookie)
{
    Login(L"demo", L"korvana123");
    client->user.captchaName = CaptchaName();
    std::wstring name = client->user.captchaName;
    FetchCaptcha(*client, name);
    auto messages = window.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].msg, msg::UM_CAPTCHA);
    EXPECT_EQ(messages[1].wParam, msg::kCaptchaSaved);
    EXPECT_EQ(messages[1].text, L"");
    ASSERT_FALSE(client->user.captchaName.empty());
    EXPECT_EQ(client->user.captchaName.find_first_not_of(L"0123456789"), std::wstring::npos);
    const std::string file = GetLocalPaths().folder.narrow
        + std::string(client->user.captchaName.begin(), client->user.captchaName.end()) + ".png";
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    // The captcha's cookie joins the session cookie in the cookie file.
    std::ifstream jar(cookieFile());
    std::string cookies((std::istreambuf_iterator<char>(jar)), std::istreambuf_iterator<char>());
    EXPECT_NE(cookies.find("korvana_captcha"), std::string::npos);
    EXPECT_NE(cookies.find("korvana_session"), std::string::npos);
    EXPECT_EQ(control().RequestsTo("/api/index/captcha").at(0).method, "GET");
}

TEST_F(LoginTaskTest, ACaptchaThatCannotBeFetchedReportsTheFailureText)
{
    control().InjectFault({ { "path", "/api/index/captcha" }, { "status", 404 } });
    std::wstring name = CaptchaName();
    FetchCaptcha(*client, name);
    RecordedMessage m = Only();
    EXPECT_EQ(m.wParam, msg::kCaptchaFailed);
    EXPECT_EQ(m.text, kRequestFailedText);
}

} // namespace
