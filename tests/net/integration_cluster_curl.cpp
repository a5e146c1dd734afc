#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <curl/curl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "net/ClusterCurl.h"
#include "net/ServiceAddress.h"
#include "service/Base64.h"
#include "service/Form.h"
#include "tests/support/ServiceTest.h"

namespace {

using korvana::test::LoggedRequest;

const char* kLogin = "/api/qtz/front_user_login";
const char* kLogout = "/api/qtz/front_user_logout";

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A loopback port nothing listens on.
int ClosedPort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    ::close(fd);
    return ntohs(addr.sin_port);
}

class ClusterCurlTest : public korvana::test::ServiceTest {
protected:
    // One POST through a fresh object, as every call routine makes it.
    int Post(const std::string& path, const std::string& body, std::string& answer,
        std::string* cookieValue = nullptr)
    {
        ClusterCurl curl(ServiceHost(), "", "");
        EXPECT_TRUE(curl.initCurlResource());
        curl.path = path;
        int result = curl.postMsg(body, answer);
        if (cookieValue != nullptr)
            *cookieValue = curl.lastCookieValue();
        return result;
    }

    LoggedRequest OnlyRequestTo(const std::string& path)
    {
        std::vector<LoggedRequest> requests = control().RequestsTo(path);
        EXPECT_EQ(requests.size(), 1u) << path;
        return requests.empty() ? LoggedRequest {} : requests.front();
    }
};

TEST_F(ClusterCurlTest, PostSendsValuesPercentEncodedAndKeysAsTheyAre)
{
    std::string answer;
    EXPECT_EQ(Post(kLogin, "username=ab cd&password=x=y", answer), 0);
    LoggedRequest r = OnlyRequestTo(kLogin);
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.body, "username=ab%20cd&password=x%3Dy");
    EXPECT_EQ(r.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_NE(answer.find("\"status\":false"), std::string::npos);

    control().ClearLog();
    EXPECT_EQ(Post(kLogin, "username=\xD5\xC5\xC8\xFD&password=korvana123", answer), 0);
    EXPECT_EQ(OnlyRequestTo(kLogin).body, "username=%D5%C5%C8%FD&password=korvana123");
}

TEST_F(ClusterCurlTest, EmptyBodyIsAnEmptyPost)
{
    std::string answer;
    EXPECT_EQ(Post(kLogout, "", answer), 0);
    LoggedRequest r = OnlyRequestTo(kLogout);
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.body, "");
    EXPECT_EQ(r.Header("Content-Length"), "0");
}

TEST_F(ClusterCurlTest, RedirectIsFollowedAndTheFinalAnswerReturned)
{
    control().InjectFault({ { "path", kLogin }, { "status", 302 }, { "location", kLogout }, { "times", 1 } });
    std::string answer;
    EXPECT_EQ(Post(kLogin, "username=demo&password=korvana123", answer), 0);
    EXPECT_EQ(answer, R"({"status":false,"message":"-1000"})");
    std::vector<LoggedRequest> log = control().RequestLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].path, kLogin);
    EXPECT_EQ(log[1].path, kLogout);
}

TEST_F(ClusterCurlTest, StatusOtherThan200IsTheResultWithItsBody)
{
    const std::string body = R"({"status":false,"message":"nope"})";
    control().InjectFault({ { "path", kLogin }, { "status", 404 }, { "body", body } });
    std::string answer = "kept:";
    EXPECT_EQ(Post(kLogin, "a=1", answer), 404);
    EXPECT_EQ(answer, "kept:" + body); // appended to what the destination held
}

TEST_F(ClusterCurlTest, NetworkFailuresGiveTheLibcurlCode)
{
    std::string answer;
    {
        ClusterCurl curl("127.0.0.1", "", "");
        ASSERT_TRUE(curl.initCurlResource());
        curl.port = ClosedPort();
        curl.path = kLogin;
        EXPECT_EQ(curl.postMsg("a=1", answer), CURLE_COULDNT_CONNECT);
    }
    control().InjectFault({ { "path", kLogin }, { "drop", true } });
    EXPECT_EQ(Post(kLogin, "a=1", answer), CURLE_GOT_NOTHING);
    control().InjectFault({ { "path", kLogin }, { "truncate", true } });
    answer.clear();
    // The status had arrived, so it is the (non-zero) result.
    EXPECT_EQ(Post(kLogin, "username=demo&password=korvana123", answer), 200);
    EXPECT_FALSE(answer.empty()); // what arrived stays

    control().InjectFault({ { "path", kLogin }, { "delay_ms", 2500 } });
    ClusterCurl slow(ServiceHost(), "", "");
    ASSERT_TRUE(slow.initCurlResource());
    slow.path = kLogin;
    slow.timeout = 1;
    EXPECT_EQ(slow.postMsg("a=1", answer), CURLE_OPERATION_TIMEDOUT);
}

TEST_F(ClusterCurlTest, NoCookiesAreKeptBeforeTheJarPathIsSet)
{
    std::string answer, value;
    EXPECT_EQ(Post(kLogin, "username=demo&password=korvana123", answer, &value), 0);
    EXPECT_FALSE(value.empty()); // the handle saw the cookie ...
    EXPECT_FALSE(std::filesystem::exists(cookieFile())); // ... but stored it nowhere
    answer.clear();
    EXPECT_EQ(Post(kLogout, "", answer), 0);
    EXPECT_EQ(answer, R"({"status":false,"message":"-1000"})");
    EXPECT_EQ(OnlyRequestTo(kLogout).Header("Cookie"), "");
}

TEST_F(ClusterCurlTest, LoginCookieIsStoredAndGoesOutWithTheNextPost)
{
    ClusterCurl::setCookieJarPath(cookieFile());
    std::string answer, value;
    EXPECT_EQ(Post(kLogin, "username=demo&password=korvana123", answer, &value), 0);
    nlohmann::json sessions = control().Sessions();
    ASSERT_EQ(sessions.size(), 1u);
    const std::string token = sessions[0]["token"];
    EXPECT_EQ(value, token);
    EXPECT_NE(ReadFile(cookieFile()).find("korvana_session\t" + token), std::string::npos);

    answer.clear();
    EXPECT_EQ(Post(kLogout, "", answer), 0);
    EXPECT_NE(answer.find("\"status\":true"), std::string::npos);
    EXPECT_EQ(OnlyRequestTo(kLogout).Header("Cookie"), "korvana_session=" + token);
    EXPECT_TRUE(control().Sessions().empty());
}

TEST_F(ClusterCurlTest, TheCookieJarIsTheUsersAloneWhateverTheUmask)
{
    const mode_t old = ::umask(022);
    ClusterCurl::setCookieJarPath(cookieFile());
    std::string answer;
    EXPECT_EQ(Post(kLogin, "username=demo&password=korvana123", answer), 0);
    struct stat st { };
    ASSERT_EQ(::stat(cookieFile().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    // A jar left readable by others is narrowed when it is next written.
    ::chmod(cookieFile().c_str(), 0644);
    answer.clear();
    EXPECT_EQ(Post(kLogout, "", answer), 0);
    ASSERT_EQ(::stat(cookieFile().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    ::umask(old);
}

TEST_F(ClusterCurlTest, GetSendsThePathAndQueryAsGivenWithStoredCookies)
{
    ClusterCurl::setCookieJarPath(cookieFile());
    std::string answer;
    ASSERT_EQ(Post(kLogin, "username=demo&password=korvana123", answer), 0);
    const std::string before = ReadFile(cookieFile());

    ClusterCurl curl(ServiceHost(), "", "");
    ASSERT_TRUE(curl.initCurlResource());
    curl.path = std::string(kLogout) + "?type=unique&rule=user,name&value=ab";
    answer.clear();
    EXPECT_EQ(curl.getMsg(answer), 0);
    LoggedRequest r = OnlyRequestTo(kLogout);
    EXPECT_EQ(r.method, "GET");
    EXPECT_EQ(r.query, "type=unique&rule=user,name&value=ab");
    EXPECT_NE(r.Header("Cookie").find("korvana_session="), std::string::npos);
    EXPECT_EQ(ReadFile(cookieFile()), before); // a GET stores nothing
}

TEST_F(ClusterCurlTest, DownloadWritesTheBodyAndKeepsTheSessionCookie)
{
    ClusterCurl::setCookieJarPath(cookieFile());
    std::string answer, token;
    ASSERT_EQ(Post(kLogin, "username=demo&password=korvana123", answer, &token), 0);

    const std::string picture = std::string("\x89PNG\r\n\x1A\n\0\x01", 10);
    control().InjectFault({ { "path", "/api/index/captcha" },
        { "body_base64", service::Base64Encode(picture) }, { "content_type", "image/png" },
        { "headers", { { "Set-Cookie", "captcha=xyz; Path=/" } } }, { "times", 1 } });
    const std::string file = (folder() / "1700000000.png").string();
    {
        ClusterCurl curl(ServiceHost(), "", "");
        ASSERT_TRUE(curl.initCurlResource());
        curl.path = "/api/index/captcha";
        EXPECT_EQ(curl.downloadFile(file), 0);
    }
    EXPECT_EQ(ReadFile(file), picture);
    EXPECT_EQ(OnlyRequestTo("/api/index/captcha").Header("Cookie"), ""); // a download sends none
    const std::string cookies = ReadFile(cookieFile());
    EXPECT_NE(cookies.find("captcha\txyz"), std::string::npos);
    EXPECT_NE(cookies.find("korvana_session\t" + token), std::string::npos);

    // A download whose answer sets no cookie leaves the file alone.
    {
        ClusterCurl curl(ServiceHost(), "", "");
        ASSERT_TRUE(curl.initCurlResource());
        curl.path = "/no/such/picture.png";
        EXPECT_EQ(curl.downloadFile(file), 404);
    }
    EXPECT_EQ(ReadFile(cookieFile()), cookies);
    EXPECT_NE(ReadFile(file).find("\"status\":false"), std::string::npos); // the error page stays

    answer.clear();
    EXPECT_EQ(Post(kLogout, "", answer), 0);
    EXPECT_NE(answer.find("\"status\":true"), std::string::npos);
}

TEST_F(ClusterCurlTest, DownloadIntoAMissingFolderSendsNothing)
{
    ClusterCurl curl(ServiceHost(), "", "");
    ASSERT_TRUE(curl.initCurlResource());
    curl.path = "/api/index/captcha";
    EXPECT_EQ(curl.downloadFile((folder() / "missing" / "x.png").string()), -1);
    EXPECT_EQ(curl.downloadFile(""), -1);
    EXPECT_TRUE(control().RequestLog().empty());
}

TEST_F(ClusterCurlTest, UploadSendsTheFileAndItsNameInUtf8)
{
    ClusterCurl::setCookieJarPath(cookieFile());
    std::string answer;
    ASSERT_EQ(Post(kLogin, "username=demo&password=korvana123", answer), 0);

    struct Case {
        std::string onDisk; // the 8-bit name as given
        std::string utf8Name; // what the "filename" part must hold
    };
    const Case cases[] = { { "游戏包.apk", "游戏包.apk" }, { "\xD5\xC5\xC8\xFD.txt", "张三.txt" } };
    for (const Case& c : cases) {
        control().ClearLog();
        const std::string full = (folder() / c.onDisk).string();
        std::ofstream(full, std::ios::binary) << std::string("APK\0DATA", 8);
        ClusterCurl curl(ServiceHost(), "", "");
        ASSERT_TRUE(curl.initCurlResource());
        curl.path = "/api/qtz/front_device_file_upload";
        answer = "old";
        EXPECT_EQ(curl.uploadFile("7,9", "2", full, answer), 0); // answered: the devices take the file
        EXPECT_EQ(answer.find("old"), std::string::npos);

        LoggedRequest r = OnlyRequestTo("/api/qtz/front_device_file_upload");
        EXPECT_EQ(r.Header("Expect"), "");
        EXPECT_NE(r.Header("Cookie").find("korvana_session="), std::string::npos);
        service::Form form;
        ASSERT_TRUE(service::AppendMultipart(r.body, r.Header("Content-Type"), form)) << r.body;
        ASSERT_EQ(form.fields.size(), 4u);
        EXPECT_EQ(form.fields[0].name, "content");
        EXPECT_TRUE(form.fields[0].isFile);
        EXPECT_EQ(form.fields[0].filename, c.onDisk);
        EXPECT_EQ(form.fields[0].value, std::string("APK\0DATA", 8));
        EXPECT_EQ(form.fields[1].name, "filename");
        EXPECT_EQ(form.fields[1].value, c.utf8Name);
        EXPECT_EQ(form.fields[2].name, "id");
        EXPECT_EQ(form.fields[2].value, "7,9");
        EXPECT_EQ(form.fields[3].name, "is_app");
        EXPECT_EQ(form.fields[3].value, "2");
    }

    control().ClearLog();
    ClusterCurl curl(ServiceHost(), "", "");
    ASSERT_TRUE(curl.initCurlResource());
    curl.path = "/api/qtz/front_device_file_upload";
    EXPECT_EQ(curl.uploadFile("1", "0", folder().string() + "/", answer), -1);
    EXPECT_EQ(curl.uploadFile("1", "0", "", answer), -1);
    EXPECT_NE(curl.uploadFile("1", "0", (folder() / "absent.bin").string(), answer), 0);
    EXPECT_TRUE(control().RequestLog().empty());
}

TEST_F(ClusterCurlTest, CallersCanSetProgressOptionsOnTheHandle)
{
    const std::string file = (folder() / "big.bin").string();
    std::ofstream(file, std::ios::binary) << std::string(300000, 'x');
    ClusterCurl curl(ServiceHost(), "", "");
    ASSERT_TRUE(curl.initCurlResource());
    curl.path = "/api/qtz/front_device_file_upload";
    double lastTotal = 0;
    curl_easy_setopt(curl.handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(
        curl.handle, CURLOPT_XFERINFOFUNCTION,
        +[](void* data, curl_off_t, curl_off_t, curl_off_t ultotal, curl_off_t) {
            *static_cast<double*>(data) = static_cast<double>(ultotal);
            return 0;
        });
    curl_easy_setopt(curl.handle, CURLOPT_XFERINFODATA, &lastTotal);
    std::string answer;
    curl.uploadFile("1", "0", file, answer);
    EXPECT_GT(lastTotal, 300000);
}

} // namespace

namespace {

class ConcurrentRequests : public korvana::test::ServiceTest { };

// Workers run requests at the same time, each with its own object, sharing
// the cookie jar path and the cookie file.
TEST_F(ConcurrentRequests, ManyWorkersAtOnceAllGetTheirAnswer)
{
    ClusterCurl::setCookieJarPath(cookieFile());
    constexpr int kThreads = 6;
    constexpr int kEach = 10;
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < kEach; ++i) {
                ClusterCurl curl(ServiceHost(), "", "");
                std::string answer;
                if (!curl.initCurlResource()) {
                    ++failures[t];
                    continue;
                }
                curl.path = t % 2 == 0 ? "/api/qtz/front_user_login" : "/api/qtz/front_user_logout";
                int result = curl.postMsg(t % 2 == 0 ? "username=demo&password=korvana123" : "", answer);
                if (result != 0 || answer.find("\"status\":") == std::string::npos)
                    ++failures[t];
            }
        });
    }
    for (std::thread& th : threads)
        th.join();
    for (int f : failures)
        EXPECT_EQ(f, 0);
    EXPECT_EQ(control().RequestLog().size(), static_cast<std::size_t>(kThreads * kEach));
}

} // namespace
