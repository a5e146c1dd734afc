// Pictures on a HiDPI screen: the skin's "@2x" version where there is one,
// the 1x one otherwise, and the image attributes (source, corner) still in
// logical pixels.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include "tests/ui/UiTestSupport.h"
#include "ui/internal/Render.h"

using namespace DuiLib;
using korvana::test::SkinFolder;

namespace {

std::string Png(const QImage& img)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    return bytes.toStdString();
}

// size × size, the left half one colour and the right half another.
std::string Halves(int size, QColor left, QColor right)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(right);
    QPainter(&img).fillRect(0, 0, size / 2, size, left);
    return Png(img);
}

// A frame `border` wide in one colour around a blue middle.
std::string Frame(int size, int border, QColor edge)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(edge);
    QPainter(&img).fillRect(border, border, size - 2 * border, size - 2 * border, Qt::blue);
    return Png(img);
}

class HiDpiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        skin.Write("img/a.png", Halves(10, Qt::red, Qt::green));
        skin.Write("img/a@2x.png", Halves(20, Qt::blue, Qt::yellow));
        skin.Write("img/only1x.png", Halves(10, Qt::gray, Qt::gray));
        skin.Write("img/f.png", Frame(12, 4, Qt::red));
        skin.Write("img/f@2x.png", Frame(24, 8, Qt::yellow));
    }
    // The picture drawn into a 100 × 100 logical box at that ratio; the
    // colour at a logical point.
    QImage Draw(const std::wstring& text, int ratio)
    {
        QImage img(100 * ratio, 100 * ratio, QImage::Format_ARGB32);
        img.setDevicePixelRatio(ratio);
        img.fill(Qt::white);
        QPainter p(&img);
        drawn = render::DrawImage(p, &pm, RECT { 0, 0, 100, 100 }, text);
        return img;
    }
    static QColor At(const QImage& img, int x, int y)
    {
        const int r = static_cast<int>(img.devicePixelRatio());
        return img.pixelColor(x * r, y * r);
    }

    SkinFolder skin;
    CPaintManagerUI pm;
    bool drawn = false;
};

TEST_F(HiDpiTest, TheDoubleSizePictureIsDrawnWhereThePixelRatioIsAboveOne)
{
    QImage one = Draw(L"img/a.png", 1);
    EXPECT_TRUE(drawn);
    EXPECT_EQ(At(one, 20, 50), QColor(Qt::red));
    EXPECT_EQ(At(one, 80, 50), QColor(Qt::green));
    QImage two = Draw(L"img/a.png", 2);
    EXPECT_EQ(two.size(), QSize(200, 200));
    EXPECT_EQ(At(two, 20, 50), QColor(Qt::blue));
    EXPECT_EQ(At(two, 80, 50), QColor(Qt::yellow));
    // Same picture at 1x again: the two versions are cached apart.
    EXPECT_EQ(At(Draw(L"img/a.png", 1), 20, 50), QColor(Qt::red));
    // No 2x version: the 1x picture stands in, filling the same box.
    QImage fallback = Draw(L"img/only1x.png", 2);
    EXPECT_TRUE(drawn);
    EXPECT_EQ(At(fallback, 2, 2), QColor(Qt::gray));
    EXPECT_EQ(At(fallback, 97, 97), QColor(Qt::gray));
    // A picture the skin lacks draws nothing at either ratio.
    Draw(L"img/missing.png", 2);
    EXPECT_FALSE(drawn);
}

TEST_F(HiDpiTest, SourceAndCornerStayInLogicalPixelsOnTheDoubleSizePicture)
{
    // The right half of the picture: logical 5..10 is 10..20 on the 2x one.
    EXPECT_EQ(At(Draw(L"file='img/a.png' source='5,0,10,10'", 1), 50, 50), QColor(Qt::green));
    QImage source2 = Draw(L"file='img/a.png' source='5,0,10,10'", 2);
    EXPECT_EQ(At(source2, 10, 50), QColor(Qt::yellow));
    EXPECT_EQ(At(source2, 90, 50), QColor(Qt::yellow));

    // A corner of 4 logical pixels is 8 on the 2x frame, drawn 4 logical wide.
    QImage one = Draw(L"file='img/f.png' corner='4,4,4,4'", 1);
    EXPECT_EQ(At(one, 2, 50), QColor(Qt::red));
    EXPECT_EQ(At(one, 6, 50), QColor(Qt::blue));
    QImage two = Draw(L"file='img/f.png' corner='4,4,4,4'", 2);
    EXPECT_EQ(At(two, 1, 1), QColor(Qt::yellow));
    EXPECT_EQ(At(two, 2, 50), QColor(Qt::yellow));
    EXPECT_EQ(At(two, 6, 50), QColor(Qt::blue)) << "the frame stays 4 logical pixels wide";
    EXPECT_EQ(At(two, 97, 97), QColor(Qt::yellow));
    EXPECT_EQ(At(two, 50, 50), QColor(Qt::blue));
}

} // namespace
