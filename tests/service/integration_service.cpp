#include <gtest/gtest.h>

#include <chrono>

#include "service/Base64.h"
#include "tests/support/ServiceTest.h"

namespace {

using korvana::test::RawResponse;

const char* kLogin = "/api/qtz/front_user_login";
const char* kLogout = "/api/qtz/front_user_logout";

class ServiceRules : public korvana::test::ServiceTest {
protected:
    // The "name=value" part of the login's Set-Cookie.
    std::string LoginCookie(const std::string& body)
    {
        RawResponse r = control().Post(kLogin, body);
        std::string setCookie = r.Header("Set-Cookie");
        return setCookie.substr(0, setCookie.find(';'));
    }
};

TEST_F(ServiceRules, DemoLoginSetsTheSessionCookie)
{
    RawResponse r = control().Post(kLogin, "username=demo&password=korvana123");
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body.rfind(R"({"status":true,"message":"{)", 0), 0u) << r.body;
    std::string setCookie = r.Header("Set-Cookie");
    EXPECT_EQ(setCookie.rfind("korvana_session=", 0), 0u);
    EXPECT_NE(setCookie.find("HttpOnly"), std::string::npos);

    // The Chinese user signs in with the code page 936 bytes of his name.
    EXPECT_FALSE(LoginCookie("username=%D5%C5%C8%FD&password=korvana123").empty());
    // A wrong password is refused with a message and no cookie.
    RawResponse wrong = control().Post(kLogin, "username=demo&password=nope");
    EXPECT_EQ(wrong.body, R"({"status":false,"message":"用户名或密码错误"})");
    EXPECT_EQ(wrong.Header("Set-Cookie"), "");
}

TEST_F(ServiceRules, SessionCallsWithoutAValidCookieAnswerMinus1000)
{
    EXPECT_EQ(control().Post(kLogout, "").body, R"({"status":false,"message":"-1000"})");
    std::string cookie = LoginCookie("username=demo&password=korvana123");
    RawResponse out = control().Post(kLogout, "", cookie);
    EXPECT_NE(out.body.find("\"status\":true"), std::string::npos);
    EXPECT_EQ(control().Post(kLogout, "", cookie).body, R"({"status":false,"message":"-1000"})");
    // A reset ends every session.
    cookie = LoginCookie("username=demo&password=korvana123");
    control().Reset();
    EXPECT_EQ(control().Post(kLogout, "", cookie).body, R"({"status":false,"message":"-1000"})");
}

TEST_F(ServiceRules, TheLogShowsTheExactBytesAndSkipsControls)
{
    const std::string body = std::string("username=%D5%C5&raw=\xD5\xC5\x00\xFF", 24);
    control().Post(kLogin, body, "", { "X-Probe: 1" });
    control().Get(std::string(kLogout) + "?value=a%20b&x=\xD5\xC5");
    std::vector<korvana::test::LoggedRequest> log = control().RequestLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].method, "POST");
    EXPECT_EQ(log[0].path, kLogin);
    EXPECT_EQ(log[0].body, body);
    EXPECT_EQ(log[0].Header("x-probe"), "1");
    EXPECT_EQ(log[1].method, "GET");
    EXPECT_EQ(log[1].query, "value=a%20b&x=\xD5\xC5");
    control().ClearLog();
    EXPECT_TRUE(control().RequestLog().empty());
}

TEST_F(ServiceRules, InjectedFaultsReplaceOrDelayTheAnswer)
{
    control().InjectFault({ { "path", kLogin }, { "status", 503 }, { "body", "busy" }, { "times", 1 } });
    RawResponse injected = control().Post(kLogin, "");
    EXPECT_EQ(injected.status, 503);
    EXPECT_EQ(injected.body, "busy");
    EXPECT_EQ(control().Post(kLogin, "").status, 200); // used up

    control().InjectFault({ { "path", kLogin }, { "kind", "wrong_types" } });
    EXPECT_EQ(control().Post(kLogin, "").body, R"({"status":"true","message":{"data":[1,2,3]}})");
    control().InjectFault({ { "path", kLogin }, { "kind", "not_json" } });
    EXPECT_EQ(control().Post(kLogin, "").body.rfind("<html>", 0), 0u);
    control().InjectFault(
        { { "path", kLogin }, { "body_base64", service::Base64Encode(std::string("\0\xFF", 2)) } });
    EXPECT_EQ(control().Post(kLogin, "").body, std::string("\0\xFF", 2));

    control().InjectFault({ { "path", kLogin }, { "drop", true } });
    EXPECT_EQ(control().Post(kLogin, "").curlCode, 52); // empty reply
    control().InjectFault({ { "path", kLogin }, { "truncate", true } });
    EXPECT_EQ(control().Post(kLogin, "username=demo&password=korvana123").curlCode, 18); // partial

    control().ClearFaults();
    control().InjectFault({ { "path", kLogout }, { "delay_ms", 300 } });
    auto start = std::chrono::steady_clock::now();
    RawResponse slow = control().Post(kLogout, "");
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_EQ(slow.body, R"({"status":false,"message":"-1000"})"); // the call's own answer
    // Faults go with a reset; a request to a faulted path is still logged.
    control().Reset();
    EXPECT_EQ(control().Post(kLogout, "").body, R"({"status":false,"message":"-1000"})");
    EXPECT_EQ(control().RequestLog().size(), 1u);

    RawResponse badSpec = control().Post("/__test/fault", "{not json");
    EXPECT_EQ(badSpec.status, 400);
}

TEST_F(ServiceRules, EmptyWorldHasNoUsers)
{
    control().Reset("empty");
    RawResponse r = control().Post(kLogin, "username=demo&password=korvana123");
    EXPECT_NE(r.body.find("\"status\":false"), std::string::npos);
}

} // namespace
