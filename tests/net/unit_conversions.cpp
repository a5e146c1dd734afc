#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <iconv.h>
#include <limits>
#include <thread>
#include <vector>

#include "net/Base64.h"
#include "net/NumberText.h"
#include "net/TextConvert.h"

namespace {

TEST(CodePageConversion, ChineseTextHasItsExactCp936Bytes)
{
    EXPECT_EQ(WideToAnsi(L"张三"), "\xD5\xC5\xC8\xFD");
    EXPECT_EQ(WideToAnsi(L"中文abc"),
        "\xD6\xD0\xCE\xC4"
        "abc");
    EXPECT_EQ(WideToAnsi(L"用户名=张三"), "\xD3\xC3\xBB\xA7\xC3\xFB=\xD5\xC5\xC8\xFD");
    EXPECT_EQ(AnsiToWide("\xD5\xC5\xC8\xFD"), L"张三");
    EXPECT_EQ(AnsiToUtf8("\xD5\xC5\xC8\xFD"), "\xE5\xBC\xA0\xE4\xB8\x89");
    EXPECT_EQ(Utf8ToWide("\xE5\xBC\xA0\xE4\xB8\x89"), L"张三");
    EXPECT_EQ(WideToUtf8(L"张三"), "\xE5\xBC\xA0\xE4\xB8\x89");
}

TEST(CodePageConversion, AnyUnrepresentableCharacterEmptiesTheWholeText)
{
    EXPECT_EQ(WideToAnsi(L"password😀"), "");
    EXPECT_EQ(WideToAnsi(L"😀"), "");
    EXPECT_EQ(WideToAnsi(std::wstring(1, static_cast<wchar_t>(0xD800))), ""); // lone surrogate
    EXPECT_EQ(WideToAnsi(L""), "");
    // The replacing form used for envelope messages keeps the rest.
    EXPECT_EQ(WideToAnsiReplacing(L"a😀b张"), "a?b\xD5\xC5");
}

TEST(CodePageConversion, InvalidInputReadsAsReplacementCharacters)
{
    EXPECT_EQ(AnsiToWide("a\xFF"
                         "b"),
        L"a\xFFFD"
        L"b");
    EXPECT_EQ(AnsiToWide("\xD5"), L"\xFFFD"); // lead byte cut off at the end
    EXPECT_EQ(Utf8ToWide("a\xC3"), L"a\xFFFD");
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), L"\xFFFD\xFFFD"); // overlong "/"
    EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), L"\xFFFD"); // encoded surrogate
    EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80"), std::wstring(1, static_cast<wchar_t>(0x1F600)));
    EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xEF\xBF\xBD");
    EXPECT_TRUE(IsValidUtf8("张三 \xEF\xBF\xBD"));
    EXPECT_FALSE(IsValidUtf8("\xD5\xC5\xC8\xFD"));
}

TEST(CodePageConversion, RoundTripsThroughEmbeddedNulAndLongText)
{
    std::wstring text(100000, L'中');
    text[500] = L'\0';
    std::string ansi = WideToAnsi(text);
    EXPECT_EQ(ansi.size(), 2 * text.size() - 1);
    EXPECT_EQ(AnsiToWide(ansi), text);
}

// Every character of the BMP between ASCII neighbours: the code page's own
// bytes or, for one it lacks, the empty text; and back again. A backslash
// after it must not merge with a trail byte.
TEST(CodePageConversion, EveryCharacterBetweenAsciiConvertsAsIconvDoesAndBack)
{
    iconv_t cd = iconv_open("CP936", "WCHAR_T");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    int mismatches = 0;
    for (wchar_t c = 0x80; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        std::string expected;
        char buffer[8];
        char* in = reinterpret_cast<char*>(&c);
        std::size_t inLeft = sizeof c;
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1))
            expected = "a" + std::string(buffer, out) + "\\b";
        const std::wstring text = L"a" + std::wstring(1, c) + L"\\b";
        if (WideToAnsi(text) != expected)
            ++mismatches;
        if (!expected.empty() && AnsiToWide(expected) != text)
            ++mismatches;
    }
    iconv_close(cd);
    EXPECT_EQ(mismatches, 0);
    // A lead byte whose second byte is no trail: the lead alone is bad and
    // the byte after it is read again, as ASCII.
    EXPECT_EQ(AnsiToWide("x\x81\x7Fy"), L"x\xFFFD\x7Fy");
    EXPECT_EQ(AnsiToWide("\x81"
                         " 1"),
        L"\xFFFD 1");
    EXPECT_EQ(WideToAnsiReplacing(L"ab😀中😀"), "ab?\xD6\xD0?");
}

TEST(CodePageConversion, IsIndependentOfTheProcessLocaleAndSafeOnManyThreads)
{
    std::setlocale(LC_ALL, "C");
    std::vector<std::thread> threads;
    std::vector<int> failures(8, 0);
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 2000; ++i) {
                if (WideToAnsi(L"张三" + std::to_wstring(i)) != "\xD5\xC5\xC8\xFD" + std::to_string(i)
                    || AnsiToWide("\xD6\xD0") != L"中" || !WideToAnsi(L"x😀").empty())
                    ++failures[t];
            }
        });
    }
    for (std::thread& th : threads)
        th.join();
    for (int f : failures)
        EXPECT_EQ(f, 0);
}

TEST(DecimalText, WritesPlainDecimal)
{
    EXPECT_EQ(IntToWide(0), L"0");
    EXPECT_EQ(IntToWide(-42), L"-42");
    EXPECT_EQ(IntToWide(std::numeric_limits<int>::min()), L"-2147483648");
    EXPECT_EQ(Int64ToWide(1700000000123), L"1700000000123");
    EXPECT_EQ(Int64ToWide(std::numeric_limits<std::int64_t>::min()), L"-9223372036854775808");
    EXPECT_EQ(IntToAnsi(1234567), "1234567");
}

TEST(DecimalText, ReadsLeadingNumberAndStops)
{
    EXPECT_EQ(WideToInt(L"  \t42abc"), 42);
    EXPECT_EQ(WideToInt(L"-17"), -17);
    EXPECT_EQ(WideToInt(L"+8"), 8);
    EXPECT_EQ(WideToInt(L"abc"), 0);
    EXPECT_EQ(WideToInt(L""), 0);
    EXPECT_EQ(WideToInt(L"- 5"), 0);
    EXPECT_EQ(WideToInt(L"12.9"), 12);
    EXPECT_EQ(AnsiToInt("0042"), 42);
    EXPECT_EQ(WideToInt64(L"1700000000123"), 1700000000123);
    // Past the range: the limit, not a wrapped value.
    EXPECT_EQ(WideToInt(L"99999999999"), std::numeric_limits<int>::max());
    EXPECT_EQ(WideToInt(L"-2147483648"), std::numeric_limits<int>::min());
    EXPECT_EQ(WideToInt(L"-99999999999"), std::numeric_limits<int>::min());
    EXPECT_EQ(WideToInt64(L"99999999999999999999"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(WideToInt64(L"-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
}

TEST(DecimalText, ReadsDecimalFractionsWhateverTheLocale)
{
    EXPECT_DOUBLE_EQ(WideToDouble(L" 12.5元"), 12.5);
    EXPECT_DOUBLE_EQ(WideToDouble(L"-0.25"), -0.25);
    EXPECT_DOUBLE_EQ(WideToDouble(L"1e3x"), 1000.0);
    EXPECT_DOUBLE_EQ(WideToDouble(L"2.5e"), 2.5); // an exponent without digits is not read
    EXPECT_DOUBLE_EQ(WideToDouble(L".5"), 0.5);
    EXPECT_DOUBLE_EQ(WideToDouble(L"abc"), 0.0);
    EXPECT_DOUBLE_EQ(WideToDouble(L"."), 0.0);
    EXPECT_DOUBLE_EQ(WideToDouble(L"0x10"), 0.0);
    EXPECT_DOUBLE_EQ(WideToDouble(L"inf"), 0.0);
    EXPECT_DOUBLE_EQ(WideToDouble(L"nan"), 0.0);
    // A locale whose decimal separator is a comma must not change the reading.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr) {
        EXPECT_DOUBLE_EQ(WideToDouble(L"3.75"), 3.75);
        std::setlocale(LC_NUMERIC, "C");
    }
}

TEST(Base64Lines, BreaksLinesAt64WithCrLf)
{
    EXPECT_EQ(Base64Lines(""), "");
    EXPECT_EQ(Base64Lines("f"), "Zg==\r\n");
    EXPECT_EQ(Base64Lines("fo"), "Zm8=\r\n");
    EXPECT_EQ(Base64Lines("foo"), "Zm9v\r\n");
    std::string bytes(48, '\xFF'); // exactly 64 characters
    EXPECT_EQ(Base64Lines(bytes), std::string(64, '/') + "\r\n");
    std::string longer(49, '\0');
    std::string text = Base64Lines(longer);
    EXPECT_EQ(text, std::string(64, 'A') + "\r\n" + "AA==\r\n");
}

TEST(Base64DecodePrefix, StopsAtPaddingOrTheFirstStrangeCharacter)
{
    EXPECT_EQ(Base64DecodePrefix("aGVsbG8="), "hello");
    EXPECT_EQ(Base64DecodePrefix("aGVsbG8=aGVsbG8="), "hello");
    EXPECT_EQ(Base64DecodePrefix("aGVs\r\nbG8="), "hel");
    EXPECT_EQ(Base64DecodePrefix("+/+/"), "\xFB\xFF\xBF");
    EXPECT_EQ(Base64DecodePrefix(""), "");
    EXPECT_EQ(Base64DecodePrefix("a"), "");
    // What the encoder writes in one line reads back whole, every length of
    // the last group included.
    const char raw[] = "\0\xFF\x10 any bytes";
    const std::string bytes(raw, sizeof raw - 1); // the zero byte too, not the terminator
    for (std::size_t n = 0; n <= bytes.size(); ++n)
        EXPECT_EQ(Base64DecodePrefix(Base64Lines(bytes.substr(0, n))), bytes.substr(0, n)) << n;
}

} // namespace
