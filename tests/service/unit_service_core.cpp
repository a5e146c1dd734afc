#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "net/ResponseEnvelope.h"
#include "service/Base64.h"
#include "service/Cp936.h"
#include "service/Envelope.h"
#include "service/Form.h"
#include "service/Server.h"
#include "service/ServiceOptions.h"

namespace {

using namespace service;

TEST(FormDecoding, PercentDecodingThenTheRouteCharset)
{
    EXPECT_EQ(PercentDecode("a%20b+c%3D%zz%4"), "a b c=%zz%4");
    Form cp936;
    AppendUrlEncoded("username=%D5%C5%C8%FD&password=k%3Dv&&flag&=x", Charset::Cp936, cp936);
    ASSERT_EQ(cp936.fields.size(), 4u);
    EXPECT_EQ(cp936.Get("username"), "张三");
    EXPECT_EQ(cp936.Get("password"), "k=v");
    EXPECT_TRUE(cp936.Has("flag"));
    EXPECT_EQ(cp936.Get("flag"), "");
    EXPECT_EQ(cp936.fields[3].name, "");
    Form utf8;
    AppendUrlEncoded("name=%E5%BC%A0%E4%B8%89", Charset::Utf8, utf8);
    EXPECT_EQ(utf8.Get("name"), "张三");
    // UTF-8 bytes read as code page 936 are not the same name.
    Form mismatch;
    AppendUrlEncoded("name=%E5%BC%A0%E4%B8%89", Charset::Cp936, mismatch);
    EXPECT_NE(mismatch.Get("name"), "张三");
    // The first field of a name wins; a missing one is empty.
    Form twice;
    AppendUrlEncoded("a=1&a=2", Charset::Utf8, twice);
    EXPECT_EQ(twice.Get("a"), "1");
    EXPECT_EQ(twice.Get("b"), "");
}

TEST(FormDecoding, MultipartPartsInOrder)
{
    using namespace std::string_literals;
    const std::string body
        = "--XyZ\r\n"
          "Content-Disposition: form-data; name=\"content\"; filename=\"\xE6\x96\x87.apk\"\r\n"
          "Content-Type: application/octet-stream\r\n\r\n"
          "bin\r\n\0ary\r\n"
          "--XyZ\r\n"
          "Content-Disposition: form-data; name=\"id\"\r\n\r\n"
          "7,9\r\n"
          "--XyZ--\r\n"s;
    Form form;
    ASSERT_TRUE(AppendMultipart(body, "multipart/form-data; boundary=XyZ", form));
    ASSERT_EQ(form.fields.size(), 2u);
    EXPECT_TRUE(form.fields[0].isFile);
    EXPECT_EQ(form.fields[0].filename, "文.apk");
    EXPECT_EQ(form.fields[0].contentType, "application/octet-stream");
    EXPECT_EQ(form.fields[0].value, "bin\r\n\0ary"s);
    EXPECT_EQ(form.Get("id"), "7,9");

    Form bad;
    EXPECT_FALSE(AppendMultipart(body, "multipart/form-data", bad));
    EXPECT_FALSE(AppendMultipart("--XyZ\r\nno end", "multipart/form-data; boundary=XyZ", bad));
    EXPECT_FALSE(AppendMultipart("", "multipart/form-data; boundary=\"XyZ\"", bad));
}

TEST(ServiceCodePage, Cp936BothWays)
{
    EXPECT_EQ(Cp936ToUtf8("\xD5\xC5\xC8\xFD"), "张三");
    EXPECT_EQ(Cp936ToUtf8("a\xFF"
                          "b"),
        "a\xEF\xBF\xBD"
        "b");
    EXPECT_EQ(Utf8ToCp936("张三"), "\xD5\xC5\xC8\xFD");
    EXPECT_EQ(Utf8ToCp936("a😀b"), "a?b");
}

TEST(ServiceBase64, RoundTripsAndRejectsJunk)
{
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    for (std::size_t n : { 0u, 1u, 2u, 3u, 255u, 256u })
        EXPECT_EQ(Base64Decode(Base64Encode(bytes.substr(0, n))), bytes.substr(0, n));
    EXPECT_EQ(Base64Decode("Zm9v\r\nYmFy"), "foobar");
    EXPECT_FALSE(Base64Decode("Zm9v!"));
    EXPECT_FALSE(Base64Decode("Z"));
}

// The envelope as the service writes it, read back by the client's parser.
TEST(ServiceEnvelope, TheClientReadsWhatTheServiceWrites)
{
    nlohmann::ordered_json payload = { { "name", "张三淺" }, { "type", UnicodeEscaped("标准型 😀") },
        { "quote", "a\"b\\c\nd" }, { "n", 1700000000123 } };
    std::string body = SuccessEnvelope(PayloadText(payload));
    EXPECT_EQ(body.rfind("{\"status\":true,\"message\":", 0), 0u);
    ResponseEnvelope e = ParseEnvelope(body);
    ASSERT_TRUE(e.success);
    ASSERT_TRUE(e.payload);
    EXPECT_EQ(json::AnsiText(e.payload.get(), "name"), L"张三淺");
    EXPECT_EQ(json::Utf8Text(e.payload.get(), "type"), L"标准型 😀");
    EXPECT_EQ(json::AnsiText(e.payload.get(), "quote"), L"a\"b\\c\nd");
    std::int64_t n = 0;
    json::ReadInt64(e.payload.get(), "n", n);
    EXPECT_EQ(n, 1700000000123);

    ResponseEnvelope failure = ParseEnvelope(FailureEnvelope("用户名或密码错误 \"x\""));
    EXPECT_FALSE(failure.success);
    EXPECT_EQ(failure.messageText, L"用户名或密码错误 \"x\"");
    // Invalid UTF-8 never makes the writer fail.
    EXPECT_FALSE(FailureEnvelope("\xFF").empty());
    // A literal backslash-u text is not mistaken for an escape mark.
    EXPECT_EQ(PayloadText({ { "t", "\\u0001x" } }), R"({"t":"\\u0001x"})");
}

TEST(ServiceOptionsParsing, AcceptsItsOptionsOnly)
{
    std::string error;
    auto defaults = ParseServiceOptions({}, error);
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->host, "127.0.0.1");
    EXPECT_EQ(defaults->port, 18080);
    EXPECT_EQ(defaults->world, WorldKind::Demo);
    EXPECT_EQ(defaults->latencyMs, 0);
    auto set = ParseServiceOptions(
        { "--host", "0.0.0.0", "--port=0", "--world", "empty", "--latency-ms", "30" }, error);
    ASSERT_TRUE(set);
    EXPECT_EQ(set->host, "0.0.0.0");
    EXPECT_EQ(set->port, 0);
    EXPECT_EQ(set->streamPort, 0);
    auto stream = ParseServiceOptions({ "--stream-port", "28200" }, error);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->streamPort, 28200);
    EXPECT_EQ(set->world, WorldKind::Empty);
    EXPECT_FALSE(set->tls.enabled());
    EXPECT_EQ(set->latencyMs, 30);
    EXPECT_EQ(ParseServiceOptions({ "--latency-ms=0" }, error)->latencyMs, 0);
    auto tls = ParseServiceOptions({ "--tls-cert", "/c.pem", "--tls-key=/k.pem" }, error);
    ASSERT_TRUE(tls);
    EXPECT_TRUE(tls->tls.enabled());
    EXPECT_EQ(tls->tls.certificate, "/c.pem");
    EXPECT_EQ(tls->tls.key, "/k.pem");
    for (std::vector<std::string> bad : std::vector<std::vector<std::string>> { { "--port", "70000" },
             { "--port", "12x" }, { "--stream-port", "-1" }, { "--world", "mars" }, { "--port" },
             { "--verbose" }, { "--tls-cert", "/c.pem" }, { "--tls-key", "/k.pem" }, { "--tls-cert=" },
             { "--latency-ms", "-5" }, { "--latency-ms", "3.5" }, { "--latency-ms" } }) {
        EXPECT_FALSE(ParseServiceOptions(bad, error));
        EXPECT_FALSE(error.empty());
    }
}

// The session rule, without sockets.
class ServerHandling : public ::testing::Test {
protected:
    HttpReply Post(const std::string& path, const std::string& body, const std::string& cookie = "")
    {
        HttpRequest request;
        request.method = "POST";
        request.path = path;
        request.body = body;
        request.headers = { { "Content-Type", "application/x-www-form-urlencoded" } };
        if (!cookie.empty())
            request.headers.emplace_back("Cookie", cookie);
        return server.Handle(request);
    }
    Server server { WorldKind::Demo };
};

TEST_F(ServerHandling, SessionCallsNeedTheCookieOfALogin)
{
    EXPECT_EQ(Post("/api/qtz/front_user_logout", "").body, R"({"status":false,"message":"-1000"})");
    EXPECT_EQ(Post("/api/qtz/front_user_logout", "", "korvana_session=forged").body,
        R"({"status":false,"message":"-1000"})");

    HttpReply login = Post("/api/qtz/front_user_login", "username=13800000042&password=korvana123");
    ASSERT_EQ(login.headers.size(), 1u);
    const std::string& setCookie = login.headers[0].second;
    std::string cookie = setCookie.substr(0, setCookie.find(';'));
    EXPECT_TRUE(ParseEnvelope(Post("/api/qtz/front_user_logout", "", "other=1; " + cookie).body).success);
    EXPECT_EQ(Post("/api/qtz/front_user_logout", "", cookie).body, R"({"status":false,"message":"-1000"})");
}

TEST_F(ServerHandling, UnknownPathsAndWorldsAnswerCleanly)
{
    HttpReply missing = Post("/api/qtz/no_such_call", "");
    EXPECT_EQ(missing.status, 404);
    EXPECT_FALSE(ParseEnvelope(missing.body).success);
    EXPECT_EQ(ParseEnvelope(missing.body).messageText, L"接口不存在");

    HttpRequest reset;
    reset.path = "/__test/reset";
    reset.query = "world=empty";
    EXPECT_EQ(server.Handle(reset).status, 200);
    EXPECT_FALSE(
        ParseEnvelope(Post("/api/qtz/front_user_login", "username=demo&password=korvana123").body).success);
    reset.query = "world=mars";
    EXPECT_EQ(server.Handle(reset).status, 400);
}

} // namespace
