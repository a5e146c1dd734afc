// Screenshot files: names that stay inside the cache folder and the
// conversion into the tile picture.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <filesystem>
#include <fstream>

#include "devices/Screenshot.h"
#include "tests/support/TempDir.h"

namespace {

std::string Jpeg(int width, int height, QColor colour = Qt::red)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes.toStdString();
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(ScreenshotFileName, PlainIdsKeepTheirNameOthersStayInTheFolder)
{
    EXPECT_EQ(ScreenshotFileName(L"7"), L"7.jpeg");
    EXPECT_EQ(ScreenshotFileName(L"VM-07_a.b"), L"VM-07_a.b.jpeg");
    for (const wchar_t* id :
        { L"../../etc/passwd", L"a/b", L"..", L".", L"", L"a\\b", L"设备", L"a b", L"x\ny" }) {
        const std::wstring name = ScreenshotFileName(id);
        EXPECT_EQ(name.find(L'/'), std::wstring::npos);
        EXPECT_EQ(name.find(L'\\'), std::wstring::npos);
        EXPECT_NE(name.front(), L'.');
        EXPECT_EQ(name.front(), L'@');
    }
    // Different ids, different files; a plain id cannot take an encoded name.
    EXPECT_NE(ScreenshotFileName(L"a/b"), ScreenshotFileName(L"a\\b"));
    EXPECT_EQ(ScreenshotFileName(L"/"), L"@2f.jpeg");
    EXPECT_NE(ScreenshotFileName(L"x2f"), ScreenshotFileName(L"/"));
    const std::wstring longName = ScreenshotFileName(std::wstring(5000, L'/'));
    EXPECT_LT(longName.size(), 40u);
    EXPECT_NE(longName, ScreenshotFileName(std::wstring(5001, L'/')));
    EXPECT_EQ(ScreenshotFileName(std::wstring(64, L'a')), std::wstring(64, L'a') + L".jpeg");
    EXPECT_EQ(ScreenshotFileName(std::wstring(65, L'a')).front(), L'@');
}

TEST(StoreScreenshotImage, ScalesAnyPictureTo160By240)
{
    korvana::test::TempDir dir;
    const std::string path = (dir.path() / "7.jpeg").string();
    ASSERT_TRUE(StoreScreenshotImage(Jpeg(1080, 1920), path));
    QImage stored(QString::fromStdString(path));
    ASSERT_FALSE(stored.isNull());
    EXPECT_EQ(stored.width(), 160);
    EXPECT_EQ(stored.height(), 240);
    // A landscape picture is stretched, not letterboxed.
    ASSERT_TRUE(StoreScreenshotImage(Jpeg(400, 100, Qt::blue), path));
    stored.load(QString::fromStdString(path));
    EXPECT_EQ(stored.size(), QSize(160, 240));
    EXPECT_GT(qBlue(stored.pixel(2, 2)), 200);
}

TEST(StoreScreenshotImage, BytesThatAreNoPictureKeepTheOldFile)
{
    korvana::test::TempDir dir;
    const std::string path = (dir.path() / "7.jpeg").string();
    ASSERT_TRUE(StoreScreenshotImage(Jpeg(100, 100), path));
    const std::string before = ReadFile(path);
    EXPECT_FALSE(StoreScreenshotImage("not an image at all", path));
    EXPECT_FALSE(StoreScreenshotImage("", path));
    std::string truncated = Jpeg(300, 300).substr(0, 20);
    EXPECT_FALSE(StoreScreenshotImage(truncated, path));
    EXPECT_FALSE(StoreScreenshotImage(std::string(30 * 1024 * 1024, '\x7f'), path));
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    // A folder that does not exist: refused, nothing made.
    EXPECT_FALSE(StoreScreenshotImage(Jpeg(10, 10), (dir.path() / "none" / "x.jpeg").string()));
}

} // namespace
