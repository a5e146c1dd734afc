// The QR picture: its BMP layout, that a reader decodes it back to the
// payment text, the encoder's refusal, and the file names of order ids.
#include <gtest/gtest.h>

#include <qrencode.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "commerce/QrBitmap.h"
#include "tests/support/QrDecode.h"
#include "tests/support/TempDir.h"

namespace {

using korvana::test::DecodeQr;
using korvana::test::TempDir;

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t Le32(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

TEST(QrBitmap, IsATopDownBmpOfEightPixelsAModuleWithoutQuietZone)
{
    TempDir dir;
    const std::string text = "KORVANA-PAY:KV00000007:54";
    const auto path = dir.path() / "KV00000007.bmp";
    ASSERT_TRUE(WriteQrBitmap(text, path.string()));
    const std::string bmp = ReadFile(path);

    QRcode* code = QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_H, QR_MODE_8, 1);
    ASSERT_NE(code, nullptr);
    const int m = code->width;
    const std::uint32_t side = 8u * m;
    ASSERT_EQ(bmp.size(), 54u + side * side * 3);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(Le32(bmp, 2), bmp.size());
    EXPECT_EQ(Le32(bmp, 10), 54u);
    EXPECT_EQ(Le32(bmp, 14), 40u);
    EXPECT_EQ(Le32(bmp, 18), side);
    EXPECT_EQ(static_cast<std::int32_t>(Le32(bmp, 22)), -static_cast<std::int32_t>(side));
    EXPECT_EQ(bmp[26], 1);
    EXPECT_EQ(bmp[28], 24);
    EXPECT_EQ(Le32(bmp, 30), 0u);
    // Every pixel is the colour of its module, rows from the top.
    int wrong = 0;
    for (std::uint32_t y = 0; y < side; ++y) {
        for (std::uint32_t x = 0; x < side; ++x) {
            const bool dark = code->data[(y / 8) * m + (x / 8)] & 1;
            const std::size_t at = 54 + (y * side + x) * 3;
            const unsigned char expected = dark ? 0 : 255;
            for (int c = 0; c < 3; ++c)
                wrong += static_cast<unsigned char>(bmp[at + c]) != expected;
        }
    }
    EXPECT_EQ(wrong, 0);
    // The top-left finder pattern starts dark at the very corner.
    EXPECT_EQ(static_cast<unsigned char>(bmp[54]), 0);
    QRcode_free(code);
}

TEST(QrBitmap, AReaderDecodesThePictureBackToThePaymentText)
{
    TempDir dir;
    for (const std::string& text :
        { std::string("KORVANA-PAY:KV00000007:54"), std::string("weixin://wxpay/bizpayurl?pr=AbC123xyz"),
            std::string("12345678901234567890"), std::string(300, 'q') }) {
        const auto path = dir.path() / "code.bmp";
        ASSERT_TRUE(WriteQrBitmap(text, path.string()));
        EXPECT_EQ(DecodeQr(path), text);
    }
}

TEST(QrBitmap, AnExistingFileIsReplaced)
{
    TempDir dir;
    const auto path = dir.path() / "same.bmp";
    ASSERT_TRUE(WriteQrBitmap(std::string(200, 'x'), path.string()));
    const auto bigger = std::filesystem::file_size(path);
    ASSERT_TRUE(WriteQrBitmap("short", path.string()));
    EXPECT_LT(std::filesystem::file_size(path), bigger);
    EXPECT_EQ(DecodeQr(path), "short");
}

TEST(QrBitmap, TheEncodersRefusalWritesNothing)
{
    TempDir dir;
    const auto path = dir.path() / "huge.bmp";
    EXPECT_FALSE(WriteQrBitmap(std::string(100 * 1024, 'z'), path.string()));
    EXPECT_FALSE(std::filesystem::exists(path));
    // An unwritable place fails too.
    EXPECT_FALSE(WriteQrBitmap("text", (dir.path() / "missing" / "x.bmp").string()));
}

TEST(QrFileName, KeepsPlainIdsAndNeverLeavesTheFolder)
{
    EXPECT_EQ(QrFileName(L"KV00000007"), "KV00000007.bmp");
    EXPECT_EQ(QrFileName(L"a-b_C9"), "a-b_C9.bmp");
    for (const wchar_t* bad :
        { L"../../etc/passwd", L"a/b", L"..", L"", L"订单1", L"a b", L"a\\b", L"x.bmp" }) {
        const std::string name = QrFileName(bad);
        EXPECT_EQ(name.find('/'), std::string::npos) << name;
        EXPECT_EQ(name.find('\\'), std::string::npos) << name;
        EXPECT_EQ(name.rfind("order_", 0), 0u) << name;
        EXPECT_EQ(name.size(), std::string("order_0123456789abcdef.bmp").size());
    }
    EXPECT_EQ(QrFileName(L"a/b"), QrFileName(L"a/b"));
    EXPECT_NE(QrFileName(L"a/b"), QrFileName(L"a/c"));
    EXPECT_EQ(QrFileName(std::wstring(64, L'k')), std::string(64, 'k') + ".bmp");
    EXPECT_EQ(QrFileName(std::wstring(65, L'k')).rfind("order_", 0), 0u);
}

} // namespace
