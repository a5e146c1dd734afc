#include <gtest/gtest.h>

#include <cjson/cJSON.h>
#include <cstdint>
#include <limits>
#include <string>

#include "net/JsonRead.h"
#include "net/ResponseEnvelope.h"

namespace {

TEST(ParseEnvelope, SuccessCarriesThePayloadParsedFromTheMessage)
{
    ResponseEnvelope e = ParseEnvelope(R"({"status":true,"message":"{\"data\":[]}"})");
    EXPECT_TRUE(e.success);
    EXPECT_EQ(e.messageText, L"{\"data\":[]}");
    ASSERT_TRUE(e.payload);
    EXPECT_TRUE(json::IsArray(json::Member(e.payload.get(), "data")));
    EXPECT_TRUE(json::Elements(json::Member(e.payload.get(), "data")).empty());
}

TEST(ParseEnvelope, KeysAreCaseInsensitiveAndAPlainWordHasNoPayload)
{
    ResponseEnvelope e = ParseEnvelope(R"({"Status":true,"Message":"done"})");
    EXPECT_TRUE(e.success);
    EXPECT_EQ(e.messageText, L"done");
    EXPECT_FALSE(e.payload);
}

TEST(ParseEnvelope, OnlyTheLiteralTrueIsSuccess)
{
    for (const char* status : { "1", "\"true\"", "null", "false", "{}", "[true]" }) {
        ResponseEnvelope e = ParseEnvelope(std::string(R"({"status":)") + status + R"(,"message":"{}"})");
        EXPECT_FALSE(e.success) << status;
        EXPECT_FALSE(e.payload) << status;
        EXPECT_EQ(e.messageText, L"{}") << status;
    }
    EXPECT_FALSE(ParseEnvelope(R"({"message":"{}"})").success);
}

TEST(ParseEnvelope, FailureTextsAndTheSessionMarker)
{
    ResponseEnvelope e = ParseEnvelope(R"({"status":false,"message":"-1000"})");
    EXPECT_FALSE(e.success);
    EXPECT_EQ(e.messageText, kSessionExpiredText);
    EXPECT_FALSE(e.payload);

    ResponseEnvelope chinese = ParseEnvelope("{\"status\":false,\"message\":\"用户名或密码错误\"}");
    EXPECT_EQ(chinese.message, "\xD3\xC3\xBB\xA7\xC3\xFB\xBB\xF2\xC3\xDC\xC2\xEB\xB4\xED\xCE\xF3");
    EXPECT_EQ(chinese.messageText, L"用户名或密码错误");
}

TEST(ParseEnvelope, FirstMemberOfAKeyWins)
{
    ResponseEnvelope e = ParseEnvelope(R"({"status":false,"STATUS":true,"message":"a","Message":"b"})");
    EXPECT_FALSE(e.success);
    EXPECT_EQ(e.messageText, L"a");
}

TEST(ParseEnvelope, PayloadStringsComeInTheCodePageOrInUtf8ForEscapes)
{
    // The service writes one name as it is and one with \u escapes.
    ResponseEnvelope e = ParseEnvelope(
        "{\"status\":true,\"message\":\"{\\\"a\\\":\\\"张三\\\",\\\"b\\\":\\\"\\\\u5f20\\\"}\"}");
    ASSERT_TRUE(e.payload);
    EXPECT_EQ(json::Text(e.payload.get(), "a"), "\xD5\xC5\xC8\xFD");
    EXPECT_EQ(json::AnsiText(e.payload.get(), "a"), L"张三");
    EXPECT_EQ(json::Text(e.payload.get(), "b"), "\xE5\xBC\xA0");
    EXPECT_EQ(json::Utf8Text(e.payload.get(), "b"), L"张");
    // Characters the code page lacks become "?" on the way.
    ResponseEnvelope emoji = ParseEnvelope("{\"status\":false,\"message\":\"ok😀\"}");
    EXPECT_EQ(emoji.messageText, L"ok?");
}

TEST(ParseEnvelope, CharactersWhoseSecondByteIsABackslashKeepThePayload)
{
    // 淺 is 9C 5C in code page 936; 中 is a plain pair.
    ResponseEnvelope e = ParseEnvelope(
        "{\"status\":true,\"message\":\"{\\\"name\\\":\\\"淺\\\",\\\"b\\\":\\\"中\\\\\\\\n\\\"}\"}");
    ASSERT_TRUE(e.payload) << e.message;
    EXPECT_EQ(json::Text(e.payload.get(), "name"), "\x9C\x5C");
    EXPECT_EQ(json::AnsiText(e.payload.get(), "name"), L"淺");
    EXPECT_EQ(json::AnsiText(e.payload.get(), "b"), L"中\\n"); // an escaped backslash stays one
    EXPECT_EQ(e.message, "{\"name\":\"\x9C\x5C\",\"b\":\"\xD6\xD0\\\\n\"}");
}

TEST(ParseEnvelope, BodiesThatAreNotAnEnvelopeGiveAnEmptyFailure)
{
    const std::string cases[] = {
        "",
        "<html>502</html>",
        R"({"status":true,"message":)", // truncated
        R"({"status":true,"message":"{\"data\":)", // truncated inside the message
        "[1,2,3]",
        "\"just a string\"",
        "null",
        std::string("\xFF\xFE\x00\x01", 4),
    };
    for (const std::string& body : cases) {
        ResponseEnvelope e = ParseEnvelope(body);
        EXPECT_FALSE(e.success) << body;
        EXPECT_TRUE(e.messageText.empty()) << body;
        EXPECT_FALSE(e.payload) << body;
    }
}

TEST(ParseEnvelope, WrongTypesAndOddMessages)
{
    // A message that is no string counts as missing: no text, no payload.
    ResponseEnvelope object = ParseEnvelope(R"({"status":true,"message":{"data":[]}})");
    EXPECT_TRUE(object.success);
    EXPECT_TRUE(object.messageText.empty());
    EXPECT_FALSE(object.payload);
    // A success whose message is not JSON has no payload.
    ResponseEnvelope truncated = ParseEnvelope(R"({"status":true,"message":"{\"data\":["})");
    EXPECT_TRUE(truncated.success);
    EXPECT_FALSE(truncated.payload);
    // What follows the first complete value is ignored.
    ResponseEnvelope trailing = ParseEnvelope(R"({"status":true,"message":"{}"} garbage)");
    EXPECT_TRUE(trailing.success);
    EXPECT_TRUE(trailing.payload);
}

TEST(ParseEnvelope, SurvivesHugeDeepAndInvalidInput)
{
    std::string deep(10000, '[');
    deep += std::string(10000, ']');
    EXPECT_FALSE(ParseEnvelope(deep).success);
    std::string deepObject;
    for (int i = 0; i < 10000; ++i)
        deepObject += "{\"status\":";
    EXPECT_FALSE(ParseEnvelope(deepObject).success);
    // A deep payload inside a valid envelope.
    std::string deepPayload = R"({"status":true,"message":")" + std::string(10000, '[') + R"("})";
    ResponseEnvelope e = ParseEnvelope(deepPayload);
    EXPECT_TRUE(e.success);
    EXPECT_FALSE(e.payload);

    std::string big
        = R"({"status":true,"message":"{\"data\":\")" + std::string(10 * 1024 * 1024, 'x') + R"(\"}"})";
    ResponseEnvelope large = ParseEnvelope(big);
    EXPECT_TRUE(large.success);
    ASSERT_TRUE(large.payload);
    EXPECT_EQ(json::Text(large.payload.get(), "data").size(), 10u * 1024 * 1024);

    // Bytes that are not UTF-8 inside the message become replacement marks.
    ResponseEnvelope bad = ParseEnvelope(std::string("{\"status\":false,\"message\":\"a\xFF\xC3z\"}"));
    EXPECT_EQ(bad.messageText, L"a??z");
}

class JsonReaders : public ::testing::Test {
protected:
    void SetUp() override
    {
        doc = json::Parse(R"({"Name":"first","name":"second","n":12.9,"neg":-12.9,"big":1700000000123,
            "huge":1e300,"tiny":-1e300,"null":null,"text":"7","flag":true,"list":[{"id":1},{"id":2},3],
            "wide":4294967297})");
        ASSERT_TRUE(doc);
    }
    json::Document doc;
};

TEST_F(JsonReaders, TextOnlyFromStringsFirstMatchWins)
{
    EXPECT_EQ(json::Text(doc.get(), "NAME"), "first");
    std::string target = "default";
    EXPECT_FALSE(json::ReadText(doc.get(), "n", target));
    EXPECT_FALSE(json::ReadText(doc.get(), "missing", target));
    EXPECT_FALSE(json::ReadText(doc.get(), "null", target));
    EXPECT_EQ(target, "default");
    EXPECT_EQ(json::Text(nullptr, "name"), "");
    EXPECT_EQ(json::Text(json::Member(doc.get(), "list"), "id"), ""); // not an object
}

TEST_F(JsonReaders, IntegersTruncateClampAndKeepLow32Bits)
{
    std::int64_t v = -5;
    EXPECT_TRUE(json::ReadInt64(doc.get(), "n", v));
    EXPECT_EQ(v, 12);
    json::ReadInt64(doc.get(), "neg", v);
    EXPECT_EQ(v, -12);
    json::ReadInt64(doc.get(), "big", v);
    EXPECT_EQ(v, 1700000000123);
    json::ReadInt64(doc.get(), "huge", v);
    EXPECT_EQ(v, std::numeric_limits<std::int64_t>::max());
    json::ReadInt64(doc.get(), "tiny", v);
    EXPECT_EQ(v, std::numeric_limits<std::int64_t>::min());
    // A member that is no number reads as 0; missing or null leaves the default.
    json::ReadInt64(doc.get(), "text", v);
    EXPECT_EQ(v, 0);
    v = 9;
    EXPECT_FALSE(json::ReadInt64(doc.get(), "missing", v));
    EXPECT_FALSE(json::ReadInt64(doc.get(), "null", v));
    EXPECT_EQ(v, 9);
    std::int32_t low = 0;
    json::ReadInt32(doc.get(), "wide", low);
    EXPECT_EQ(low, 1);
    json::ReadInt32(doc.get(), "big", low);
    EXPECT_EQ(low, static_cast<std::int32_t>(1700000000123LL & 0xFFFFFFFF));
}

TEST_F(JsonReaders, ArraysAreWalkedInOrder)
{
    std::vector<std::int64_t> ids;
    json::Elements list(json::Member(doc.get(), "list"));
    for (const cJSON* item : list)
        ids.push_back(json::IntegerOf(json::Member(item, "id")));
    EXPECT_EQ(ids, (std::vector<std::int64_t> { 1, 2, 0 }));
    EXPECT_EQ(list.size(), 3u);
    EXPECT_TRUE(json::Elements(json::Member(doc.get(), "name")).empty());
    EXPECT_TRUE(json::Elements(nullptr).empty());
    EXPECT_TRUE(json::MemberIsTrue(doc.get(), "FLAG"));
    EXPECT_FALSE(json::MemberIsTrue(doc.get(), "text"));
}

} // namespace
