// What the engine draws for a control's state (normal, hot, pushed,
// selected, disabled), nine-part images, and input details the pages rely
// on: scroll-bar dragging, inert children, timers that remove their owner.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include "tests/ui/UiTestSupport.h"
#include "ui/UIDefs.h"
#include "ui/internal/Render.h"

using namespace DuiLib;
using korvana::test::SkinFolder;
using korvana::test::TestWindow;
using korvana::test::WindowXml;

namespace {

std::string Png(const QImage& img)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    return bytes.toStdString();
}

std::string Solid(QColor c)
{
    QImage img(8, 8, QImage::Format_ARGB32);
    img.fill(c);
    return Png(img);
}

class PaintTest : public ::testing::Test {
protected:
    void Open(const std::string& body)
    {
        skin.Write("img/normal.png", Solid(Qt::blue));
        skin.Write("img/hot.png", Solid(Qt::red));
        skin.Write("img/pushed.png", Solid(Qt::green));
        skin.Write("img/selected.png", Solid(Qt::yellow));
        skin.Write("img/disabled.png", Solid(Qt::gray));
        skin.Write("Test.xml", WindowXml(body));
        ASSERT_TRUE(wnd.Create(nullptr, L"paint"));
        ui = std::make_unique<CUiDriver>(wnd);
        ui->Show();
    }
    QColor At(POINT pt)
    {
        wnd.GetPaintManager().UpdateLayout();
        QImage img = static_cast<QWidget*>(wnd.GetNativeWindow())->grab().toImage();
        return img.pixelColor(pt.x, pt.y);
    }
    QColor AtCentre(const wchar_t* name) { return At(ui->CentreOf(ui->Find(name))); }

    SkinFolder skin;
    TestWindow wnd;
    std::unique_ptr<CUiDriver> ui;
};

const char* kButtons = R"(<VerticalLayout>
  <Button name="B" height="40" normalimage="img/normal.png" hotimage="img/hot.png" pushedimage="img/pushed.png"
          disabledimage="img/disabled.png"/>
  <Option name="O" height="40" normalimage="img/normal.png" selectedimage="img/selected.png"/>
  <Control/>
</VerticalLayout>)";

TEST_F(PaintTest, ButtonImagesFollowHoverPressAndDisable)
{
    Open(kButtons);
    POINT b = ui->CentreOf(ui->Find(L"B"));
    ui->MoveTo(POINT { b.x, b.y + 200 });
    EXPECT_EQ(AtCentre(L"B"), QColor(Qt::blue));
    ui->MoveTo(b);
    EXPECT_EQ(AtCentre(L"B"), QColor(Qt::red));
    ui->MouseDown(b);
    EXPECT_EQ(AtCentre(L"B"), QColor(Qt::green));
    ui->MoveTo(POINT { b.x, b.y + 200 });
    EXPECT_NE(AtCentre(L"B"), QColor(Qt::green)) << "dragged off: no longer pushed";
    ui->MouseUp(POINT { b.x, b.y + 200 });
    EXPECT_EQ(AtCentre(L"B"), QColor(Qt::blue)) << "released elsewhere: not hot either";
    ui->Find(L"B")->SetEnabled(false);
    EXPECT_EQ(AtCentre(L"B"), QColor(Qt::gray));
}

TEST_F(PaintTest, SelectedOptionDrawsItsSelectedImage)
{
    Open(kButtons);
    EXPECT_EQ(AtCentre(L"O"), QColor(Qt::blue));
    static_cast<COptionUI*>(ui->Find(L"O"))->Selected(true);
    EXPECT_EQ(AtCentre(L"O"), QColor(Qt::yellow));
}

TEST_F(PaintTest, CornersOfANinePartImageKeepTheirSize)
{
    // 12 x 12: a red 4-pixel frame around a blue middle.
    QImage frame(12, 12, QImage::Format_ARGB32);
    frame.fill(Qt::red);
    QPainter(&frame).fillRect(4, 4, 4, 4, Qt::blue);
    skin.Write("img/frame.png", Png(frame));
    Open(R"(<VerticalLayout><Control name="C" height="100" bkimage="file='img/frame.png' corner='4,4,4,4'"/>
        <Control/></VerticalLayout>)");
    RECT rc = ui->Find(L"C")->GetPos();
    EXPECT_EQ(At(POINT { rc.left + 2, rc.top + 2 }), QColor(Qt::red));
    EXPECT_EQ(At(POINT { rc.left + 6, rc.top + 50 }), QColor(Qt::blue)) << "the frame stays 4 pixels wide";
    EXPECT_EQ(At(POINT { rc.right - 3, rc.bottom - 3 }), QColor(Qt::red));
    EXPECT_EQ(At(POINT { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 }), QColor(Qt::blue));
}

TEST_F(PaintTest, DraggingTheThumbScrolls)
{
    Open(R"(<VerticalLayout><Control height="40"/><VerticalLayout name="Box" vscrollbar="true">
        <Control height="300"/><Control height="300"/><Control height="300"/></VerticalLayout></VerticalLayout>)");
    auto* box = static_cast<CVerticalLayoutUI*>(ui->Find(L"Box"));
    wnd.GetPaintManager().UpdateLayout();
    ASSERT_EQ(box->GetScrollRange().cy, 900 - 260);
    const RECT& rc = box->GetPos();
    POINT thumb { rc.right - 4, rc.top + 10 };
    ui->MouseDown(thumb);
    auto* host = static_cast<QWidget*>(wnd.GetNativeWindow());
    QMouseEvent move(QEvent::MouseMove, QPointF(thumb.x, thumb.y + 50),
        host->mapToGlobal(QPointF(thumb.x, thumb.y + 50)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(host, &move);
    ui->MouseUp(POINT { thumb.x, thumb.y + 50 });
    EXPECT_GT(box->GetScrollPos().cy, 100);
    // A press on the rail below the thumb pages down.
    int before = box->GetScrollPos().cy;
    ui->ClickAt(POINT { rc.right - 4, rc.bottom - 5 });
    EXPECT_GT(box->GetScrollPos().cy, before);
}

TEST_F(PaintTest, ChildrenOfAnInertContainerTakeNoClicks)
{
    Open(
        R"(<VerticalLayout><HorizontalLayout name="Row" height="40" mousechild="false"><Button name="In"/></HorizontalLayout>
        <HorizontalLayout name="Open" height="40" mouse="false"><Button name="Free"/></HorizontalLayout><Control/></VerticalLayout>)");
    ui->Click(L"In");
    EXPECT_EQ(ui->CountOf(DUI_MSGTYPE_CLICK), 0);
    EXPECT_EQ(wnd.GetPaintManager().FindControl(ui->CentreOf(ui->Find(L"In"))), ui->Find(L"Row"));
    ui->Click(L"Free");
    EXPECT_EQ(ui->CountOf(DUI_MSGTYPE_CLICK, L"Free"), 1) << "mouse=false on a container spares its children";
}

TEST_F(PaintTest, ATimerHandlerMayRemoveItsOwnControl)
{
    Open(R"(<VerticalLayout name="Root"><Button name="Spinner"/><Control/></VerticalLayout>)");
    auto* root = static_cast<CContainerUI*>(ui->Find(L"Root"));
    CControlUI* spinner = ui->Find(L"Spinner");
    int ticks = 0;
    wnd.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType == DUI_MSGTYPE_TIMER && msg.pSender->GetName() == L"Spinner") {
            ++ticks;
            root->Remove(msg.pSender);
        }
    };
    ASSERT_TRUE(spinner->SetTimer(5, 10));
    ASSERT_TRUE(spinner->SetTimer(5, 15)) << "the same id again restarts it";
    ASSERT_TRUE(ui->WaitUntil([&] { return ticks > 0; }, 2000));
    ui->ProcessEvents(60);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(ui->Find(L"Spinner"), nullptr);
    CButtonUI loose;
    EXPECT_FALSE(loose.SetTimer(1, 10)) << "no window, no timer";
}

} // namespace

namespace {

// A child reaching past its container is cut at the container's edge, in a
// whole paint and in a small one across the edge or inside the container.
TEST_F(PaintTest, ChildrenAreCutAtTheirContainersEdgeInWholeAndPartialPaints)
{
    Open(R"(<VerticalLayout bkcolor="#FFFFFFFF">
  <HorizontalLayout name="Box" width="100" height="40">
    <Control name="Wide" float="true" pos="50,0,250,40" bkcolor="#FFFF0000"/>
  </HorizontalLayout>
  <Control/>
</VerticalLayout>)");
    auto* host = static_cast<QWidget*>(wnd.GetNativeWindow());
    wnd.GetPaintManager().UpdateLayout();
    const RECT box = ui->Find(L"Box")->GetPos();
    const int y = box.top + 20;
    auto render = [&](QRect region) {
        QImage img(host->size(), QImage::Format_ARGB32);
        img.fill(Qt::black);
        // Only the region is painted, at its own place in the picture.
        host->render(&img, region.topLeft(), QRegion(region));
        return img;
    };
    const QImage whole = render(host->rect());
    EXPECT_EQ(whole.pixelColor(box.left + 70, y), QColor(Qt::red));
    EXPECT_EQ(whole.pixelColor(box.left + 150, y), QColor(Qt::white));
    const QImage across = render(QRect(box.left + 90, box.top, 70, 40));
    EXPECT_EQ(across.pixelColor(box.left + 95, y), QColor(Qt::red));
    EXPECT_EQ(across.pixelColor(box.left + 150, y), QColor(Qt::white));
    const QImage inside = render(QRect(box.left + 60, box.top + 10, 20, 20));
    EXPECT_EQ(inside.pixelColor(box.left + 70, y), QColor(Qt::red));
    EXPECT_EQ(inside.pixelColor(box.left + 150, y), QColor(Qt::black));
}

} // namespace

namespace {

// Counts the host's paints and notes the bar's value at each.
class PaintCounter : public QObject {
public:
    PaintCounter(QWidget* host, CProgressUI* bar)
        : m_host(host)
        , m_bar(bar)
    {
        host->installEventFilter(this);
    }
    ~PaintCounter() override { m_host->removeEventFilter(this); }
    int paints = 0;
    int lastValue = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_host && event->type() == QEvent::Paint) {
            ++paints;
            lastValue = m_bar->GetValue();
        }
        return false;
    }

private:
    QWidget* m_host;
    CProgressUI* m_bar;
};

// A bar moved fifty times in a burst is painted a few times, not fifty, and
// the last value is always painted.
TEST_F(PaintTest, SmallUpdatesInABurstArePaintedOnceAFrameAndTheLastOneIsNotLost)
{
    Open(R"(<VerticalLayout><Progress name="P" height="10" min="0" max="100"/><Control/></VerticalLayout>)");
    auto* bar = static_cast<CProgressUI*>(ui->Find(L"P"));
    ui->ProcessEvents(50);
    PaintCounter counter(static_cast<QWidget*>(wnd.GetNativeWindow()), bar);
    QElapsedTimer burst;
    burst.start();
    for (int i = 1; i <= 50; ++i) {
        bar->SetValue(i);
        QCoreApplication::processEvents();
    }
    const qint64 took = burst.elapsed();
    ui->ProcessEvents(60);
    EXPECT_GE(counter.paints, 1);
    EXPECT_LE(counter.paints, 3 + static_cast<int>(took / 16));
    EXPECT_EQ(counter.lastValue, 50);

    // A burst over many frames, as a load's progress comes: still one paint
    // a frame, not one when the frame is due and another when its timer is.
    counter.paints = 0;
    burst.restart();
    for (int i = 0; burst.elapsed() < 160; ++i) {
        bar->SetValue(i % 100);
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    const qint64 spread = burst.elapsed();
    ui->ProcessEvents(60);
    EXPECT_GE(counter.paints, 2);
    EXPECT_LE(counter.paints, 2 + static_cast<int>(spread / 16));
}

} // namespace

namespace {

// A picture with a different colour and alpha in every pixel, so that a
// seam, a lost row or a changed sample would show.
QImage Noise(int width, int height)
{
    QImage img(width, height, QImage::Format_ARGB32_Premultiplied);
    std::uint32_t seed = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int a = 64 + static_cast<int>((seed >> 24) % 192);
            img.setPixel(
                x, y, qPremultiply(qRgba(x * 7 % 256, y * 5 % 256, static_cast<int>(seed >> 16) % 256, a)));
        }
    }
    return img;
}

QImage Canvas()
{
    QImage canvas(300, 400, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(QColor(30, 120, 60));
    return canvas;
}

} // namespace

TEST(BandedImageDraw, GivesQtsOwnPixelsWhenCopiedScaledOrClippedAndKeepsThePainterState)
{
    korvana::test::UiApp();
    const QImage img = Noise(160, 250);
    struct Case {
        QRect dest;
        QRect src;
        QRect clip; // empty: none
        double opacity;
    };
    const Case cases[] = {
        { QRect(10, 20, 160, 250), QRect(0, 0, 160, 250), QRect(), 1.0 }, // copied
        { QRect(5, 7, 230, 371), QRect(0, 0, 160, 250), QRect(), 1.0 }, // scaled up, smooth
        { QRect(0, 0, 100, 130), QRect(20, 10, 140, 240), QRect(), 0.5 }, // part, scaled down, faded
        { QRect(10, 20, 160, 250), QRect(0, 0, 160, 250), QRect(30, 50, 90, 150), 1.0 }, // inside a clip
        { QRect(3, 4, 160, 64), QRect(0, 0, 160, 64), QRect(), 1.0 }, // one band exactly
    };
    for (const Case& c : cases) {
        QImage expected = Canvas();
        QImage banded = Canvas();
        for (QImage* target : { &expected, &banded }) {
            QPainter p(target);
            p.setRenderHint(QPainter::SmoothPixmapTransform, true);
            p.setOpacity(c.opacity);
            if (!c.clip.isEmpty())
                p.setClipRect(c.clip);
            if (target == &expected) {
                p.drawImage(c.dest, img, c.src);
            } else {
                render::DrawImageInBands(p, c.dest, img, c.src);
                EXPECT_EQ(p.hasClipping(), !c.clip.isEmpty());
                if (!c.clip.isEmpty()) {
                    EXPECT_EQ(p.clipBoundingRect().toRect(), c.clip);
                }
                EXPECT_EQ(p.opacity(), c.opacity);
            }
        }
        EXPECT_TRUE(banded == expected) << "dest " << c.dest.width() << "x" << c.dest.height();
    }
}
