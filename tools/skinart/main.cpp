// korvana-skinart OUTDIR [ICONDIR]: draws every picture of the skin into
// OUTDIR (skin/img), and the program's hicolor icons into ICONDIR
// (desktop/icons). Each function below draws the pictures of one part of the
// window; names are the paths the XML files use.
#include <QGuiApplication>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <random>

#include "Glyphs.h"
#include "Painting.h"
#include "Parts.h"

namespace skinart {
namespace pal = skinart::palette;

namespace {

    QString g_root;

} // namespace

void SetOutputFolder(const QString& root)
{
    g_root = root;
}

void Save(Canvas& c, const QString& name)
{
    c.Save(g_root, name);
}

// --- Marks named by the client code ---------------------------------------

void DrawMarks()
{
    {
        Canvas c(15, 15);
        c.painter().setPen(Qt::NoPen);
        c.painter().setBrush(pal::kGreen);
        c.painter().drawEllipse(QRectF(0.5, 0.5, 14, 14));
        DrawGlyph(c.painter(), Glyph::Check, QRectF(1.5, 1.5, 12, 12), pal::kWhite, 2.8);
        Save(c, "ok_15.png");
    }
    {
        Canvas c(15, 15);
        c.painter().setPen(Qt::NoPen);
        c.painter().setBrush(pal::kRed);
        c.painter().drawEllipse(QRectF(0.5, 0.5, 14, 14));
        DrawGlyph(c.painter(), Glyph::Cross, QRectF(2, 2, 11, 11), pal::kWhite, 2.8);
        Save(c, "error_15.png");
    }
    {
        Canvas c(6, 6);
        c.painter().setPen(Qt::NoPen);
        c.painter().setBrush(pal::kRed);
        c.painter().drawEllipse(QRectF(0, 0, 6, 6));
        Save(c, "dot_r_6.png");
    }
}

// A turning spinner: a fading ring of twelve strokes; frame n is turned by
// n × 20 degrees so 18 frames make one full turn.
static void DrawSpinnerFrame(Canvas& c, int size, int frame, const QColor& color)
{
    QPainter& p = c.painter();
    const qreal cx = size / 2.0;
    const qreal outer = size * 0.44;
    const qreal inner = size * 0.22;
    const int strokes = 12;
    QPen pen(color, std::max(1.6, size / 11.0));
    pen.setCapStyle(Qt::RoundCap);
    for (int i = 0; i < strokes; ++i) {
        const qreal deg = -(frame * 20.0) - i * (360.0 / strokes) + 90.0;
        const qreal a = deg * M_PI / 180.0;
        QColor col = color;
        col.setAlpha(255 - i * 230 / strokes);
        pen.setColor(col);
        p.setPen(pen);
        p.drawLine(QPointF(cx + inner * std::cos(a), cx - inner * std::sin(a)),
            QPointF(cx + outer * std::cos(a), cx - outer * std::sin(a)));
    }
}

void DrawSpinners()
{
    for (int size : { 25, 30 }) {
        for (int n = 0; n < 18; ++n) {
            Canvas c(size, size);
            DrawSpinnerFrame(c, size, n, pal::kWhite);
            Save(c, QString("sinchronize/sinchronize_%1_white_%2.png").arg(size).arg(n));
        }
    }
}

// --- Brand ------------------------------------------------------------------

void DrawBrandMark(QPainter& p, const QRectF& box)
{
    QLinearGradient g(box.topLeft(), box.bottomRight());
    g.setColorAt(0, QColor(0x4B, 0x9B, 0xFF));
    g.setColorAt(1, QColor(0x1C, 0x4F, 0xD6));
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    const qreal r = box.width() * 0.24;
    p.drawRoundedRect(box, r, r);
    const qreal u = box.width() / 24.0;
    DrawGlyph(p, Glyph::Cloud, QRectF(box.left() + 1.5 * u, box.top() + 2.5 * u, 21 * u, 19 * u),
        WithAlpha(pal::kWhite, 120), 1.6);
    // The phone in front of the cloud.
    const QRectF phone(box.left() + 8.3 * u, box.top() + 7.2 * u, 7.4 * u, 12 * u);
    p.setBrush(pal::kWhite);
    p.drawRoundedRect(phone, 1.4 * u, 1.4 * u);
    p.setBrush(QColor(0x2A, 0x6B, 0xEE));
    p.drawRoundedRect(phone.adjusted(1.1 * u, 1.4 * u, -1.1 * u, -2.4 * u), 0.5 * u, 0.5 * u);
    p.setBrush(pal::kWhite);
    p.restore();
}

void DrawBrand()
{
    for (int size : { 24, 32, 48, 64, 128, 256 }) {
        Canvas c(size, size);
        DrawBrandMark(c.painter(), QRectF(0, 0, size, size));
        Save(c, QString("icon/korvana_%1.png").arg(size));
    }
}

// The program's icon in the desktop's hicolor theme, one PNG per size the
// launchers ask for (the scalable SVG beside them is the same mark).
void DrawDesktopIcons(const QString& root)
{
    for (int size : { 16, 22, 24, 32, 48, 64, 128, 256, 512 }) {
        Canvas c(size, size);
        DrawBrandMark(c.painter(), QRectF(0, 0, size, size));
        c.Save(root, QString("hicolor/%1x%1/apps/korvana.png").arg(size));
    }
}

// --- Caption buttons --------------------------------------------------------

void DrawCaptionButtons()
{
    struct Item {
        const char* name;
        Glyph glyph;
        qreal inset;
    };
    const Item items[] = { { "help", Glyph::Help, 8 }, { "menu", Glyph::Menu, 8 },
        { "min", Glyph::Minimize, 9 }, { "max", Glyph::Maximize, 10 }, { "restore", Glyph::Restore, 10 },
        { "close", Glyph::Close, 10 } };
    for (const Item& it : items) {
        for (int state = 0; state < 3; ++state) {
            Canvas c(32, 30);
            QPainter& p = c.painter();
            const bool close = QString(it.name) == "close";
            if (state == 1)
                p.fillRect(c.rect(), close ? QColor(0xE8, 0x3F, 0x3F) : WithAlpha(pal::kWhite, 36));
            if (state == 2)
                p.fillRect(c.rect(), close ? QColor(0xC2, 0x2E, 0x2E) : WithAlpha(pal::kWhite, 22));
            const qreal side = 30 - 2 * it.inset;
            const QRectF box((32 - side) / 2.0, it.inset, side, side);
            DrawGlyph(p, it.glyph, box, WithAlpha(pal::kWhite, state == 0 ? 215 : 255), 24.0 / side * 1.2);
            static const char* suffix[] = { "normal", "hot", "pushed" };
            Save(c, QString("caption/%1_%2.png").arg(it.name).arg(suffix[state]));
        }
    }
}

} // namespace skinart

using namespace skinart;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: korvana-skinart OUTDIR [ICONDIR]\n");
        return 2;
    }
    SetOutputFolder(QString::fromLocal8Bit(argv[1]));
    // Every picture once as the skin names it and once at 2x for HiDPI.
    for (int scale : { 1, 2 }) {
        SetCanvasScale(scale);
        DrawMarks();
        DrawSpinners();
        DrawBrand();
        DrawCaptionButtons();
        DrawSignBackground();
        DrawPanels();
        DrawButtons();
        DrawCheckBoxes();
        DrawMenuAndTabs();
        DrawEdits();
        DrawScrollBars();
        DrawProgress();
        DrawAccount();
        DrawDevice();
        DrawBuy();
        DrawApps();
        DrawNotifyAndDownload();
    }
    SetCanvasScale(1);
    if (argc == 3)
        DrawDesktopIcons(QString::fromLocal8Bit(argv[2]));
    std::printf("skinart: %d pictures written to %s\n", SavedCount(), argv[1]);
    return FailedCount() == 0 ? 0 : 1;
}
