// The registration form's picture code: the code, the picture and its file.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "account/Captcha.h"
#include "tests/support/QtApp.h"

namespace {

std::uint32_t Read32(const std::vector<unsigned char>& file, std::size_t at)
{
    return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | static_cast<std::uint32_t>(file[at + 3]) << 24;
}

// The pool as the service's captchas are drawn from, written out here rather
// than taken from the generator, so a changed pool is caught.
constexpr char kExpectedPool[] = "1keosRS435Vrlqt9jwUBIzAhnv2pab67imuLWPfgxK8yJGDEOHcdTCMNYSQFZ";

TEST(CaptchaPicture, TheCodeTakesFourPoolCharactersInTheGeneratorsOrder)
{
    ASSERT_EQ(std::string(kCaptchaPool), std::string(kExpectedPool));
    ASSERT_EQ(kCaptchaPoolSize, 61);
    for (unsigned seed : { 12345u, 1u, 4242u }) {
        const CaptchaPicture picture = MakeCaptchaPicture(seed);
        // Four draws of rand() modulo 61, in order, from the seed.
        std::srand(seed);
        std::wstring expected;
        for (int i = 0; i < 4; ++i)
            expected += static_cast<wchar_t>(kExpectedPool[std::rand() % 61]);
        EXPECT_EQ(picture.code, expected) << seed;
    }
    // "0" and "X" never appear; "S" is in the pool twice.
    EXPECT_EQ(std::string(kExpectedPool).find_first_of("0X"), std::string::npos);
    EXPECT_EQ(std::count(kExpectedPool, kExpectedPool + 61, 'S'), 2);
}

TEST(CaptchaPicture, TheSameSeedGivesTheSamePictureAndAnotherSeedAnother)
{
    const CaptchaPicture a = MakeCaptchaPicture(7u);
    const CaptchaPicture b = MakeCaptchaPicture(7u);
    const CaptchaPicture c = MakeCaptchaPicture(8u);
    ASSERT_EQ(a.pixels.size(), kCaptchaPixelBytes);
    EXPECT_EQ(a.code, b.code);
    EXPECT_EQ(a.pixels, b.pixels);
    EXPECT_NE(a.pixels, c.pixels);
}

TEST(CaptchaPicture, TheBitmapFileIs19654BytesOfA130By50BottomUpPicture)
{
    korvana::test::EnsureQtApplication();
    const CaptchaPicture picture = MakeCaptchaPicture(99u);
    const std::vector<unsigned char> file = CaptchaBitmapFile(picture);
    ASSERT_EQ(file.size(), 19654u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Read32(file, 2), 19654u);
    EXPECT_EQ(Read32(file, 6), 0u);
    EXPECT_EQ(Read32(file, 10), 54u);
    EXPECT_EQ(Read32(file, 14), 40u);
    EXPECT_EQ(Read32(file, 18), 130u);
    EXPECT_EQ(Read32(file, 22), 50u);
    EXPECT_EQ(file[26] | file[27] << 8, 1);
    EXPECT_EQ(file[28] | file[29] << 8, 24);
    for (std::size_t at = 30; at < 54; at += 4)
        EXPECT_EQ(Read32(file, at), 0u) << "header word at " << at;
    // The two padding bytes of every row are zero.
    for (int row = 0; row < kCaptchaHeight; ++row) {
        EXPECT_EQ(picture.pixels[row * kCaptchaRowBytes + 390], 0);
        EXPECT_EQ(picture.pixels[row * kCaptchaRowBytes + 391], 0);
    }

    QImage image;
    ASSERT_TRUE(image.loadFromData(file.data(), static_cast<int>(file.size()), "BMP"));
    ASSERT_EQ(image.width(), 130);
    ASSERT_EQ(image.height(), 50);
    // The first stored row is the bottom one, blue first.
    const QRgb bottomLeft = image.pixel(0, 49);
    EXPECT_EQ(qBlue(bottomLeft), picture.pixels[0]);
    EXPECT_EQ(qGreen(bottomLeft), picture.pixels[1]);
    EXPECT_EQ(qRed(bottomLeft), picture.pixels[2]);
    const QRgb topRight = image.pixel(129, 0);
    const std::size_t last = 49 * kCaptchaRowBytes + 129 * 3;
    EXPECT_EQ(qBlue(topRight), picture.pixels[last]);
    EXPECT_EQ(qRed(topRight), picture.pixels[last + 2]);

    // Something is drawn: many shades, not one flat colour.
    std::set<QRgb> shades;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 130; ++x)
            shades.insert(image.pixel(x, y));
    EXPECT_GT(shades.size(), 50u);
}

TEST(CaptchaPicture, AnIncompletePictureGivesNoFile)
{
    CaptchaPicture picture;
    picture.code = L"abcd";
    EXPECT_TRUE(CaptchaBitmapFile(picture).empty());
    picture.pixels.assign(kCaptchaPixelBytes - 1, 0);
    EXPECT_TRUE(CaptchaBitmapFile(picture).empty());
}

} // namespace
