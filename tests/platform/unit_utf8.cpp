// The one UTF-8 encoder: every scalar value as its bytes, U+0000 included
// (a text may carry it), anything that is no scalar as U+FFFD.
#include <gtest/gtest.h>

#include <string>

#include "platform/Utf8.h"

namespace {

std::string One(std::uint32_t c)
{
    std::string out;
    AppendUtf8(c, out);
    return out;
}

TEST(Utf8, EncodesEachLengthAtItsBoundaries)
{
    EXPECT_EQ(One(0x7F), "\x7F");
    EXPECT_EQ(One(0x80), "\xC2\x80");
    EXPECT_EQ(One(0x7FF), "\xDF\xBF");
    EXPECT_EQ(One(0x800), "\xE0\xA0\x80");
    EXPECT_EQ(One(0xFFFF), "\xEF\xBF\xBF");
    EXPECT_EQ(One(0x10000), "\xF0\x90\x80\x80");
    EXPECT_EQ(One(0x10FFFF), "\xF4\x8F\xBF\xBF");
}

TEST(Utf8, NulIsAByteAndNonScalarsBecomeTheReplacement)
{
    EXPECT_EQ(One(0), std::string(1, '\0'));
    EXPECT_EQ(Utf8OfWide(std::wstring(L"a\0b", 3)), std::string("a\0b", 3));
    for (std::uint32_t bad : { 0xD800u, 0xDBFFu, 0xDC00u, 0xDFFFu, 0x110000u, 0xFFFFFFFFu })
        EXPECT_EQ(One(bad), "\xEF\xBF\xBD") << std::hex << bad;
    // A lone surrogate in a wide text does not swallow its neighbours.
    std::wstring text = L"x";
    text += static_cast<wchar_t>(0xD83D);
    text += L"y";
    EXPECT_EQ(Utf8OfWide(text), "x\xEF\xBF\xBDy");
    EXPECT_EQ(Utf8OfWide(L""), "");
}

} // namespace
