#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "net/ClusterCurl.h"
#include "net/ServiceAddress.h"
#include "net/ServiceCall.h"

namespace {

TEST(FormEncoding, EncodesValuesOnlyKeysAndSeparatorsStay)
{
    EXPECT_EQ(ClusterCurl::encodeFormValues("a=b c&d=e=f"), "a=b%20c&d=e%3Df");
    EXPECT_EQ(ClusterCurl::encodeFormValues("&type=0&page_size=10&page_index=1"),
        "&type=0&page_size=10&page_index=1");
    EXPECT_EQ(ClusterCurl::encodeFormValues(""), "");
    EXPECT_EQ(ClusterCurl::encodeFormValues("name=\xD5\xC5\xC8\xFD"), "name=%D5%C5%C8%FD");
    EXPECT_EQ(ClusterCurl::encodeFormValues("k=-._~AZaz09"), "k=-._~AZaz09");
    EXPECT_EQ(ClusterCurl::encodeFormValues("avatar=a+b/c=\r\n"), "avatar=a%2Bb%2Fc%3D%0D%0A");
    EXPECT_EQ(ClusterCurl::encodeFormValues("a=&b="), "a=&b=");
    // Values that grow a lot still leave the next key intact.
    EXPECT_EQ(ClusterCurl::encodeFormValues("a=    &b=1&c= "), "a=%20%20%20%20&b=1&c=%20");
    EXPECT_EQ(ClusterCurl::encodeFormValues("novalue&x=1 2"), "novalue&x=1%202");
    EXPECT_EQ(ClusterCurl::encodeFormValues(std::string("k=a\0b", 5)), "k=a%00b");
}

TEST(CookieValue, SeventhFieldOfTheLastCookieLine)
{
    ClusterCurl curl("127.0.0.1", "", "");
    EXPECT_EQ(curl.lastCookieValue(), "");
    curl.cookieLines = { "127.0.0.1\tFALSE\t/\tFALSE\t0\tother\tx",
        "#HttpOnly_127.0.0.1\tFALSE\t/\tFALSE\t0\tkorvana_session\tabc123" };
    EXPECT_EQ(curl.lastCookieValue(), "abc123");
    curl.cookieLines = { "a b  c\t\td e f g h" };
    EXPECT_EQ(curl.lastCookieValue(), "g");
    curl.cookieLines = { "127.0.0.1\tFALSE\t/\tFALSE\t0\tempty\t" };
    EXPECT_EQ(curl.lastCookieValue(), "");
}

TEST(FileName, TakesTheTextAfterTheLastSlash)
{
    EXPECT_EQ(ClusterCurl::getFileName("/home/u/文件.apk"), "文件.apk");
    EXPECT_EQ(ClusterCurl::getFileName("plain.txt"), "plain.txt");
    EXPECT_EQ(ClusterCurl::getFileName("/home/u/dir/"), "");
    // A backslash is an ordinary character of a file name here.
    EXPECT_EQ(ClusterCurl::getFileName("/tmp/a\\b.txt"), "a\\b.txt");
}

TEST(ClusterCurlWithoutHandle, EveryOperationFailsLocally)
{
    ClusterCurl curl("127.0.0.1", "", "");
    std::string out;
    EXPECT_EQ(curl.postMsg("a=1", out), -1);
    EXPECT_EQ(curl.getMsg(out), -1);
    EXPECT_EQ(curl.uploadFile("1", "0", "/tmp/x", out), -1);
    EXPECT_EQ(curl.downloadFile(""), -1);
    EXPECT_EQ(curl.messagePublicMethod(), -1);

    ClusterCurl noHost("", "", "");
    ASSERT_TRUE(noHost.initCurlResource());
    EXPECT_EQ(noHost.getMsg(out), -1);
    EXPECT_EQ(noHost.uploadFile("1", "0", "", out), -1);
    EXPECT_EQ(noHost.uploadFile("1", "0", "/tmp/dir/", out), -1);
}

TEST(ClusterCurlDefaults, PortFromServiceAddressAndTimeoutsStoredBack)
{
    SetServiceAddress("127.0.0.1", 18123);
    ClusterCurl curl(ServiceHost(), "", "");
    EXPECT_EQ(curl.port, 18123);
    ASSERT_TRUE(curl.initCurlResource());
    EXPECT_EQ(curl.messagePublicMethod(), 0);
    EXPECT_EQ(curl.connectTimeout, 60);
    EXPECT_EQ(curl.timeout, 2000);
}

TEST(SharedTransportState, CookieJarPathAndAddressAreSafeUnderConcurrentUse)
{
    // Whatever host the build has compiled in, readers see one of these.
    SetServiceAddress("127.0.0.9", 1000);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 2000; ++i) {
                if (t % 2 == 0) {
                    ClusterCurl::setCookieJarPath("/tmp/jar-" + std::to_string(i));
                    SetServiceAddress("127.0.0." + std::to_string(t), 1000 + i);
                } else {
                    std::string path = ClusterCurl::cookieJarPath();
                    const std::string& host = ServiceHost();
                    EXPECT_TRUE(path.empty() || path.rfind("/tmp/jar-", 0) == 0);
                    EXPECT_EQ(host.rfind("127.0.0.", 0), 0u);
                }
            }
        });
    }
    for (std::thread& th : threads)
        th.join();
    ClusterCurl::setCookieJarPath("");
}

TEST(ParameterEncoding, Cp936ThenOptionallyUtf8)
{
    EXPECT_EQ(EncodeParams(L"name=张三", false), "name=\xD5\xC5\xC8\xFD");
    EXPECT_EQ(EncodeParams(L"name=张三", true), "name=\xE5\xBC\xA0\xE4\xB8\x89");
    EXPECT_EQ(EncodeParams(L"username=demo&password=pw😀", false), "");
}

} // namespace
