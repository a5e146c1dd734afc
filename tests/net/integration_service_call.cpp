#include <gtest/gtest.h>

#include <curl/curl.h>
#include <fstream>

#include "net/ClusterCurl.h"
#include "net/ServiceAddress.h"
#include "net/ServiceCall.h"
#include "tests/support/ServiceTest.h"

namespace {

const char* kLogin = "/api/qtz/front_user_login";
const char* kLogout = "/api/qtz/front_user_logout";

class ServiceCallTest : public korvana::test::ServiceTest {
protected:
    ServiceReply Login(const std::wstring& name, const std::wstring& password)
    {
        ServiceRequest request;
        request.path = kLogin;
        request.params = L"username=" + name + L"&password=" + password;
        return CallService(request);
    }

    ServiceReply Logout()
    {
        ServiceRequest request;
        request.path = kLogout;
        return CallService(request);
    }
};

TEST_F(ServiceCallTest, ChineseLoginGoesOutInCp936AndOpensTheSession)
{
    ServiceReply reply = Login(L"张三", L"korvana123");
    EXPECT_EQ(reply.stage, ServiceStage::Answered);
    EXPECT_TRUE(reply.succeeded());
    ASSERT_TRUE(reply.envelope.payload);
    EXPECT_EQ(
        json::Text(reply.envelope.payload.get(), "msg"), "\xB5\xC7\xC2\xBC\xB3\xC9\xB9\xA6"); // 登录成功
    std::vector<korvana::test::LoggedRequest> log = control().RequestsTo(kLogin);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].body, "username=%D5%C5%C8%FD&password=korvana123");
    // The call assigned the cookie jar, so the session is in the cookie file.
    EXPECT_EQ(ClusterCurl::cookieJarPath(), cookieFile());
    nlohmann::json sessions = control().Sessions();
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(sessions[0]["user_id"], 43);
    EXPECT_EQ(reply.lastCookieValue, sessions[0]["token"]);

    ServiceReply out = Logout();
    EXPECT_TRUE(out.succeeded());
    EXPECT_TRUE(control().Sessions().empty());
    EXPECT_TRUE(Logout().sessionExpired());
}

TEST_F(ServiceCallTest, RefusalsAndTheSessionMarkerAreTheServiceText)
{
    ServiceReply wrong = Login(L"demo", L"wrong");
    EXPECT_EQ(wrong.stage, ServiceStage::Answered);
    EXPECT_FALSE(wrong.succeeded());
    EXPECT_EQ(wrong.text, L"用户名或密码错误");

    ServiceReply expired = Logout();
    EXPECT_FALSE(expired.succeeded());
    EXPECT_TRUE(expired.sessionExpired());
    EXPECT_EQ(expired.text, L"-1000");
}

TEST_F(ServiceCallTest, AnUnrepresentableCharacterSendsAnEmptyBody)
{
    ServiceReply reply = Login(L"demo", L"korvana123😀");
    EXPECT_FALSE(reply.succeeded());
    std::vector<korvana::test::LoggedRequest> log = control().RequestsTo(kLogin);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].body, "");
}

TEST_F(ServiceCallTest, TransferFailuresAndBadBodiesGiveTheStandardTexts)
{
    control().InjectFault({ { "path", kLogin }, { "status", 500 }, { "times", 1 } });
    ServiceReply failed = Login(L"demo", L"korvana123");
    EXPECT_EQ(failed.stage, ServiceStage::TransferFailed);
    EXPECT_EQ(failed.result, 500);
    EXPECT_EQ(failed.text, kRequestFailedText);

    for (const char* kind : { "not_json", "wrong_types", "empty" }) {
        control().InjectFault({ { "path", kLogin }, { "kind", kind }, { "times", 1 } });
        ServiceReply bad = Login(L"demo", L"korvana123");
        EXPECT_EQ(bad.stage, ServiceStage::Answered) << kind;
        EXPECT_FALSE(bad.succeeded()) << kind;
        EXPECT_TRUE(bad.text.empty()) << kind;
    }

    std::string huge = R"({"status":false,"message":")" + std::string(10 * 1024 * 1024, 'x') + "\"}";
    control().InjectFault({ { "path", kLogin }, { "body", huge }, { "times", 1 } });
    ServiceReply big = Login(L"demo", L"korvana123");
    EXPECT_EQ(big.text.size(), 10u * 1024 * 1024);

    control().InjectFault({ { "path", kLogin }, { "drop", true }, { "times", 1 } });
    ServiceReply dropped = Login(L"demo", L"korvana123");
    EXPECT_EQ(dropped.stage, ServiceStage::TransferFailed);
    EXPECT_EQ(dropped.result, CURLE_GOT_NOTHING);

    SetServiceAddress("", 0);
    ServiceReply noHost = Login(L"demo", L"korvana123");
    EXPECT_EQ(noHost.stage, ServiceStage::TransferFailed);
    EXPECT_EQ(noHost.result, -1);
    EXPECT_EQ(noHost.text, kRequestFailedText);
}

TEST_F(ServiceCallTest, OptionsOfLaterCalls)
{
    // A name the user typed, converted on to UTF-8.
    ServiceRequest utf8;
    utf8.path = kLogin;
    utf8.params = L"&name=张三";
    utf8.paramsToUtf8 = true;
    CallService(utf8);
    // A GET with the value in the query, not percent-encoded.
    ServiceRequest get;
    get.operation = ServiceOperation::Get;
    get.path = std::string(kLogout) + "?type=unique&rule=user,phone&value=";
    get.params = L"13800000042";
    EXPECT_TRUE(CallService(get).sessionExpired());
    // A hook that sees the initialised object before the transfer.
    ServiceRequest hooked;
    hooked.path = kLogout;
    bool called = false;
    hooked.prepare = [&](ClusterCurl& curl) {
        called = curl.handle != nullptr && curl.path == kLogout;
        curl.timeout = 30;
    };
    CallService(hooked);
    EXPECT_TRUE(called);

    std::vector<korvana::test::LoggedRequest> log = control().RequestLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].body, "&name=%E5%BC%A0%E4%B8%89");
    EXPECT_EQ(log[1].method, "GET");
    EXPECT_EQ(log[1].query, "type=unique&rule=user,phone&value=13800000042");

    // A Chinese value goes into the query as its code page 936 bytes.
    control().ClearLog();
    get.params = L"张三";
    CallService(get);
    std::vector<korvana::test::LoggedRequest> chinese = control().RequestsTo(kLogout);
    ASSERT_EQ(chinese.size(), 1u);
    EXPECT_EQ(chinese[0].query, "type=unique&rule=user,phone&value=\xD5\xC5\xC8\xFD");
}

TEST_F(ServiceCallTest, UploadAndDownloadThroughTheRoutine)
{
    ASSERT_TRUE(Login(L"demo", L"korvana123").succeeded());
    const std::string file = (folder() / "a.txt").string();
    std::ofstream(file) << "hello";
    ServiceRequest upload;
    upload.operation = ServiceOperation::Upload;
    upload.path = "/api/qtz/front_device_file_upload";
    upload.uploadFile = file;
    upload.uploadId = "5";
    upload.uploadIsApp = "0";
    ServiceReply up = CallService(upload);
    EXPECT_EQ(up.stage, ServiceStage::Answered); // the upload call exists
    EXPECT_EQ(up.result, 0);

    control().InjectFault({ { "path", "/api/index/captcha" }, { "body", "PNGDATA" } });
    ServiceRequest download;
    download.operation = ServiceOperation::Download;
    download.path = "/api/index/captcha";
    download.downloadFile = (folder() / "c.png").string();
    download.assignCookieJar = false;
    ServiceReply down = CallService(download);
    EXPECT_EQ(down.stage, ServiceStage::Answered);
    EXPECT_FALSE(down.envelope.root);
    std::ifstream in(download.downloadFile);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "PNGDATA");
    EXPECT_TRUE(Logout().succeeded()); // the download did not lose the session
}

} // namespace
