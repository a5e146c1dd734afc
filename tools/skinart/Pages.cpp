// The pictures of the pages: account, devices, purchase, app market,
// notifications and download.
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <random>

#include "Glyphs.h"
#include "Painting.h"
#include "Parts.h"

namespace skinart {
namespace pal = skinart::palette;

// --- Account and user -------------------------------------------------------

static void DrawAvatar(int size, const QString& name)
{
    Canvas c(size, size);
    QPainter& p = c.painter();
    QLinearGradient g(0, 0, 0, size);
    g.setColorAt(0, QColor(0xD9, 0xE6, 0xFB));
    g.setColorAt(1, QColor(0xB7, 0xCB, 0xEE));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QRectF(0, 0, size, size));
    QPainterPath clip;
    clip.addEllipse(QRectF(0, 0, size, size));
    p.setClipPath(clip);
    p.setBrush(QColor(0xFF, 0xFF, 0xFF, 230));
    const qreal s = size;
    p.drawEllipse(QPointF(s / 2, s * 0.40), s * 0.19, s * 0.19);
    p.drawEllipse(QPointF(s / 2, s * 1.02), s * 0.40, s * 0.38);
    Save(c, name);
}

void DrawAccount()
{
    DrawAvatar(128, "user/avatar_128.png");
    DrawAvatar(70, "user/avatar_70.png");
    {
        // A ring that frames the user's picture in the menu column.
        Canvas c(136, 136);
        c.painter().setPen(QPen(WithAlpha(pal::kWhite, 70), 3));
        c.painter().setBrush(Qt::NoBrush);
        c.painter().drawEllipse(QRectF(1.5, 1.5, 133, 133));
        Save(c, "user/ring_136.png");
    }
    {
        // Hover veil over the avatar picker with a folder glyph.
        Canvas c(70, 70);
        c.painter().setPen(Qt::NoPen);
        c.painter().setBrush(QColor(0x0E, 0x1A, 0x3A, 120));
        c.painter().drawEllipse(QRectF(0, 0, 70, 70));
        DrawGlyph(c.painter(), Glyph::Folder, QRectF(23, 16, 24, 24), pal::kWhite, 1.8);
        Save(c, "user/pick_hot.png");
    }
    struct Icon {
        const char* name;
        Glyph glyph;
        QColor color;
    };
    const Icon icons[] = { { "user", Glyph::User, pal::kAccent }, { "coin", Glyph::Coin, pal::kOrange },
        { "lock", Glyph::Gear, pal::kTextMuted }, { "record", Glyph::Record, pal::kAccent },
        { "invite", Glyph::Invite, pal::kTeal } };
    for (const Icon& it : icons) {
        Canvas c(20, 20);
        DrawGlyph(c.painter(), it.glyph, QRectF(0, 0, 20, 20), it.color, 1.9);
        Save(c, QString("account/%1.png").arg(it.name));
    }
}

// --- Device page --------------------------------------------------------------

void DrawDevice()
{
    // The tile card, drawn at its real size 160 × 250: a navy head (plan
    // row and name row, 56 px), a dark preview well and a white tool bar.
    {
        Canvas c(160, 250);
        QPainter& p = c.painter();
        QPainterPath card;
        card.addRoundedRect(QRectF(0, 0, 160, 250), 6, 6);
        p.setClipPath(card);
        p.fillRect(QRectF(0, 0, 160, 250), pal::kCard);
        QLinearGradient head(0, 0, 0, 56);
        head.setColorAt(0, QColor(0x1F, 0x37, 0x72));
        head.setColorAt(1, QColor(0x18, 0x2B, 0x5C));
        p.fillRect(QRectF(0, 0, 160, 56), head);
        p.fillRect(QRectF(0, 26, 160, 1), WithAlpha(pal::kWhite, 26));
        p.fillRect(QRectF(0, 56, 160, 164), QColor(0x0B, 0x13, 0x29));
        p.fillRect(QRectF(0, 220, 160, 1), pal::kBorder);
        p.setClipping(false);
        p.setPen(QPen(QColor(0xD3, 0xDA, 0xE6), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(0.5, 0.5, 159, 249), 5.5, 5.5);
        Save(c, "device/tile.png");
    }
    {
        // Hover ring of the whole tile.
        Canvas c(160, 250);
        c.painter().setPen(QPen(pal::kAccentHot, 2));
        c.painter().setBrush(Qt::NoBrush);
        c.painter().drawRoundedRect(QRectF(1, 1, 158, 248), 5.5, 5.5);
        Save(c, "device/tile_hot.png");
    }
    // The play box over the preview: 100 × 100.
    auto playBox = [](Glyph glyph, bool hot, const QString& name) {
        Canvas c(100, 100);
        QPainter& p = c.painter();
        p.setPen(QPen(WithAlpha(pal::kWhite, hot ? 230 : 150), 2));
        p.setBrush(QColor(0x0E, 0x1A, 0x3A, hot ? 150 : 110));
        p.drawEllipse(QRectF(26, 26, 48, 48));
        DrawGlyph(p, glyph, QRectF(34, 34, 32, 32), pal::kWhite, 2);
        Save(c, name);
    };
    playBox(Glyph::Play, false, "device/play_normal.png");
    playBox(Glyph::Play, true, "device/play_hot.png");
    playBox(Glyph::Pause, false, "device/pause_normal.png");
    playBox(Glyph::Pause, true, "device/pause_hot.png");
    {
        // The offline picture: a dimmed phone with a broken link mark.
        Canvas c(100, 100);
        QPainter& p = c.painter();
        p.setPen(QPen(QColor(0x8A, 0x96, 0xAD), 2.2));
        p.setBrush(QColor(0x1A, 0x24, 0x3D));
        p.drawRoundedRect(QRectF(33, 16, 34, 60), 6, 6);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2A, 0x35, 0x52));
        p.drawRoundedRect(QRectF(37, 23, 26, 43), 2, 2);
        p.setBrush(QColor(0x8A, 0x96, 0xAD));
        p.drawEllipse(QPointF(50, 70.5), 2, 2);
        // Red badge with a cross at the lower right.
        p.setBrush(pal::kRed);
        p.setPen(QPen(QColor(0x0B, 0x13, 0x29), 2.5));
        p.drawEllipse(QPointF(66, 70), 10, 10);
        DrawGlyph(p, Glyph::Cross, QRectF(59, 63, 14, 14), pal::kWhite, 3);
        Save(c, "device/offline_100.png");
    }
    struct Tool {
        const char* name;
        Glyph glyph;
    };
    const Tool tools[] = { { "reboot", Glyph::Power }, { "recover", Glyph::Undo },
        { "upload", Glyph::Upload }, { "install", Glyph::Install } };
    for (const Tool& t : tools) {
        for (int s = 0; s < 3; ++s) {
            Canvas c(40, 29);
            QPainter& p = c.painter();
            if (s > 0)
                RoundRect(p, QRectF(5, 2, 30, 25), 4, s == 1 ? pal::kAccentTint : QColor(0xD8, 0xE6, 0xFD));
            DrawGlyph(p, t.glyph, QRectF(11, 5.5, 18, 18), s == 0 ? pal::kTextMuted : pal::kAccent, 1.9);
            static const char* states[] = { "normal", "hot", "pushed" };
            Save(c, QString("device/%1_%2.png").arg(t.name).arg(states[s]));
        }
    }
    // Rename (pencil) toggle in the name row.
    for (int s = 0; s < 3; ++s) {
        Canvas c(22, 22);
        QPainter& p = c.painter();
        if (s == 1)
            RoundRect(p, c.rect(), 4, WithAlpha(pal::kWhite, 34));
        if (s == 2)
            RoundRect(p, c.rect(), 4, pal::kAccent);
        DrawGlyph(p, Glyph::Pencil, QRectF(4, 4, 14, 14), WithAlpha(pal::kWhite, s == 0 ? 190 : 255), 2);
        static const char* states[] = { "normal", "hot", "selected" };
        Save(c, QString("device/rename_%1.png").arg(states[s]));
    }
    // Screenshot button: the spinner's first frame in a soft circle.
    for (int s = 0; s < 2; ++s) {
        Canvas c(25, 25);
        if (s == 1) {
            c.painter().setPen(Qt::NoPen);
            c.painter().setBrush(WithAlpha(pal::kWhite, 40));
            c.painter().drawEllipse(c.rect());
        }
        DrawGlyph(
            c.painter(), Glyph::Refresh, QRectF(4, 4, 17, 17), WithAlpha(pal::kWhite, s ? 255 : 200), 2.2);
        Save(c, QString("device/shot_%1.png").arg(s ? "hot" : "normal"));
    }
    // Group tag over the preview and the selection box of batch mode.
    for (int s = 0; s < 2; ++s) {
        Canvas c(40, 20);
        RoundRect(c.painter(), c.rect(), 10, QColor(0x0E, 0x1A, 0x3A, s ? 220 : 150),
            WithAlpha(pal::kWhite, s ? 160 : 60));
        Save(c, QString("device/group_%1.png").arg(s ? "hot" : "normal"));
    }
    for (int s = 0; s < 3; ++s) {
        Canvas c(22, 22);
        QPainter& p = c.painter();
        if (s < 2)
            RoundRect(p, QRectF(1, 1, 20, 20), 4, QColor(0x0E, 0x1A, 0x3A, 150),
                WithAlpha(pal::kWhite, s ? 255 : 190), 1.6);
        else {
            RoundRect(p, QRectF(1, 1, 20, 20), 4, pal::kAccent, pal::kWhite, 1.6);
            DrawGlyph(p, Glyph::Check, QRectF(3, 3, 16, 16), pal::kWhite, 2.8);
        }
        static const char* states[] = { "off", "off_hot", "on" };
        Save(c, QString("device/select_%1.png").arg(states[s]));
    }
    // The add-device tile: a dashed card with a large plus.
    for (int s = 0; s < 3; ++s) {
        Canvas c(160, 250);
        QPainter& p = c.painter();
        QPen dash(s == 0 ? QColor(0xB8, 0xC3, 0xD6) : pal::kAccent, 1.6, Qt::DashLine);
        p.setPen(dash);
        p.setBrush(
            s == 0 ? QColor(0xFA, 0xFB, 0xFD) : (s == 1 ? pal::kAccentTint : QColor(0xD8, 0xE6, 0xFD)));
        p.drawRoundedRect(QRectF(1, 1, 158, 248), 6, 6);
        p.setPen(Qt::NoPen);
        p.setBrush(s == 0 ? QColor(0xE4, 0xEA, 0xF4) : WithAlpha(pal::kAccent, 40));
        p.drawEllipse(QPointF(80, 110), 30, 30);
        DrawGlyph(p, Glyph::Plus, QRectF(62, 92, 36, 36), s == 0 ? pal::kTextMuted : pal::kAccent, 2);
        static const char* states[] = { "normal", "hot", "pushed" };
        Save(c, QString("device/add_%1.png").arg(states[s]));
    }
    {
        Canvas c(20, 4);
        RoundRect(c.painter(), c.rect(), 2, WithAlpha(pal::kWhite, 50));
        Save(c, "device/progress_bg.png");
    }
    {
        Canvas c(20, 4);
        RoundRect(c.painter(), c.rect(), 2, QColor(0x5F, 0xD0, 0x8F));
        Save(c, "device/progress_fg.png");
    }
    // Small glyphs of the device toolbar.
    struct Bar {
        const char* name;
        Glyph glyph;
    };
    const Bar bar[] = { { "group", Glyph::Group }, { "refresh", Glyph::Refresh }, { "add", Glyph::Plus },
        { "disconnect", Glyph::Power }, { "sync", Glyph::Apps }, { "search", Glyph::Search } };
    for (const Bar& b : bar) {
        for (int s = 0; s < 2; ++s) {
            Canvas c(16, 16);
            DrawGlyph(c.painter(), b.glyph, QRectF(0, 0, 16, 16), s ? pal::kAccent : pal::kTextMuted, 2);
            Save(c, QString("device/bar_%1%2.png").arg(b.name).arg(s ? "_hot" : ""));
        }
    }
}

// --- Purchase page ------------------------------------------------------------

void DrawBuy()
{
    // Choice cards (stretched with corners 8; the badge of the selected card
    // sits in its unscaled lower-right corner of 22 px, in its last 15).
    for (int s = 0; s < 4; ++s) {
        Canvas c(48, 48);
        QPainter& p = c.painter();
        const bool selected = s >= 2;
        const bool hot = s == 1 || s == 3;
        RoundRect(p, c.rect(), 6, selected ? pal::kAccentTint : pal::kCard,
            selected ? pal::kAccent : (hot ? pal::kBorderHot : pal::kBorder), selected ? 1.6 : 1.2);
        if (selected) {
            QPainterPath tri;
            // Small enough to stay clear of a price of five digits in a
            // 120-px tile.
            tri.moveTo(48, 33);
            tri.lineTo(48, 42);
            tri.quadTo(48, 48, 42, 48);
            tri.lineTo(33, 48);
            tri.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(pal::kAccent);
            p.drawPath(tri);
            DrawGlyph(p, Glyph::Check, QRectF(39.5, 39.5, 7.5, 7.5), pal::kWhite, 2.4);
        }
        static const char* states[] = { "normal", "hot", "selected", "selected_hot" };
        Save(c, QString("buy/card_%1.png").arg(states[s]));
    }
    struct Pay {
        const char* name;
        Glyph glyph;
        QColor color;
    };
    const Pay pays[]
        = { { "points", Glyph::Coin, pal::kOrange }, { "web", Glyph::Globe, QColor(0x1F, 0x8F, 0xFF) },
              { "scan", Glyph::Scan, QColor(0x1A, 0xAD, 0x5B) } };
    for (const Pay& py : pays) {
        Canvas c(22, 22);
        RoundRect(c.painter(), c.rect(), 5, py.color);
        DrawGlyph(c.painter(), py.glyph, QRectF(3, 3, 16, 16), pal::kWhite, 2.1);
        Save(c, QString("buy/pay_%1.png").arg(py.name));
    }
    // Quantity stepper buttons (30 × 30). The minus and plus are solid bars on
    // whole pixels: a thin stroked line between two pixel rows came out as a
    // grey smear with darker ends ("--", a dotted cross).
    for (bool plus : { false, true }) {
        struct State {
            const char* name;
            QColor fill, border, mark;
        };
        const State states[] = { { "normal", pal::kCard, QColor(0xCF, 0xD6, 0xE1), pal::kText },
            { "hot", pal::kAccentTint, pal::kAccent, pal::kAccent },
            { "pushed", QColor(0xD8, 0xE6, 0xFD), pal::kAccentPushed, pal::kAccentPushed },
            { "disabled", QColor(0xF5, 0xF7, 0xFA), pal::kBorder, pal::kTextFaint } };
        for (const State& st : states) {
            Canvas c(30, 30);
            QPainter& p = c.painter();
            RoundRect(p, c.rect(), 4, st.fill, st.border);
            p.setPen(Qt::NoPen);
            p.setBrush(st.mark);
            p.setRenderHint(QPainter::Antialiasing, false);
            p.drawRect(QRectF(9, 14, 12, 2));
            if (plus)
                p.drawRect(QRectF(14, 9, 2, 12));
            Save(c, QString("buy/%1_%2.png").arg(plus ? "plus" : "minus").arg(st.name));
        }
    }
    {
        // The frame around the payment QR code.
        Canvas c(220, 220);
        QPainter& p = c.painter();
        RoundRect(p, c.rect(), 8, pal::kCard, pal::kBorder);
        QPen pen(pal::kAccent, 3);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        const int L = 24;
        const int e = 6;
        p.drawPolyline(QPolygonF({ QPointF(e, e + L), QPointF(e, e), QPointF(e + L, e) }));
        p.drawPolyline(QPolygonF({ QPointF(220 - e - L, e), QPointF(220 - e, e), QPointF(220 - e, e + L) }));
        p.drawPolyline(QPolygonF(
            { QPointF(220 - e, 220 - e - L), QPointF(220 - e, 220 - e), QPointF(220 - e - L, 220 - e) }));
        p.drawPolyline(QPolygonF({ QPointF(e + L, 220 - e), QPointF(e, 220 - e), QPointF(e, 220 - e - L) }));
        Save(c, "buy/qr_frame.png");
    }
    {
        // The picture area of the settings page where a service account
        // code is printed: a framed phone with a chat mark.
        Canvas c(130, 130);
        QPainter& p = c.painter();
        RoundRect(p, c.rect(), 8, QColor(0xF5, 0xF8, 0xFC), pal::kBorder);
        p.setPen(Qt::NoPen);
        std::mt19937 rng(20240501u);
        const int cells = 21;
        const qreal cell = 100.0 / cells;
        p.setBrush(QColor(0xC5, 0xCF, 0xDE));
        for (int y = 0; y < cells; ++y)
            for (int x = 0; x < cells; ++x)
                if (rng() % 2)
                    p.drawRect(QRectF(15 + x * cell, 15 + y * cell, cell, cell));
        p.setBrush(pal::kCard);
        p.drawRoundedRect(QRectF(45, 45, 40, 40), 8, 8);
        DrawBrandMark(p, QRectF(50, 50, 30, 30));
        Save(c, "setting/code.png");
    }
}

// --- App market -----------------------------------------------------------------

void DrawApps()
{
    {
        // The default app icon (50 × 50): a rounded square with the grid glyph.
        Canvas c(50, 50);
        QPainter& p = c.painter();
        QLinearGradient g(0, 0, 50, 50);
        g.setColorAt(0, QColor(0x8E, 0xA6, 0xCC));
        g.setColorAt(1, QColor(0x5D, 0x75, 0x9E));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(QRectF(0, 0, 50, 50), 12, 12);
        DrawGlyph(p, Glyph::Apps, QRectF(11, 11, 28, 28), pal::kWhite, 2);
        Save(c, "app/default_50.png");
    }
    {
        Canvas c(20, 20);
        QPainter& p = c.painter();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x6F, 0x87, 0xB0));
        p.drawRoundedRect(QRectF(0, 0, 20, 20), 5, 5);
        DrawGlyph(p, Glyph::Apps, QRectF(3.5, 3.5, 13, 13), pal::kWhite, 2.4);
        Save(c, "app/default_20.png");
    }
    // Icon cell of 75 × 75: hover plate and the ticked badge (top right).
    {
        Canvas c(75, 75);
        RoundRect(c.painter(), c.rect(), 8, QColor(0xE9, 0xF0, 0xFC));
        Save(c, "app/cell_hot.png");
    }
    for (int hot = 0; hot < 2; ++hot) {
        Canvas c(75, 75);
        QPainter& p = c.painter();
        RoundRect(p, c.rect(), 8, hot ? QColor(0xDF, 0xEA, 0xFD) : pal::kAccentTint, pal::kBorderHot);
        p.setPen(QPen(pal::kWhite, 1.5));
        p.setBrush(pal::kAccent);
        p.drawEllipse(QRectF(56, 2, 17, 17));
        DrawGlyph(p, Glyph::Check, QRectF(58.5, 4.5, 12, 12), pal::kWhite, 3);
        Save(c, QString("app/cell_selected%1.png").arg(hot ? "_hot" : ""));
    }
    {
        Canvas c(75, 75);
        QPainter& p = c.painter();
        p.setPen(QPen(QColor(0xB9, 0xC2, 0xD0), 1.3));
        p.setBrush(pal::kCard);
        p.drawEllipse(QRectF(56.5, 2.5, 16, 16));
        Save(c, "app/cell_normal.png");
    }
    // The catalogue refresh button (30 × 30): a blue disc under white frames.
    for (int s = 0; s < 3; ++s) {
        Canvas c(30, 30);
        QPainter& p = c.painter();
        p.setPen(Qt::NoPen);
        p.setBrush(s == 0 ? pal::kAccent : (s == 1 ? pal::kAccentHot : pal::kAccentPushed));
        p.drawEllipse(c.rect());
        if (s > 0)
            DrawGlyph(p, Glyph::Refresh, QRectF(7, 7, 16, 16), pal::kWhite, 2.4);
        static const char* states[] = { "bg", "hot", "pushed" };
        Save(c, QString("app/refresh_%1.png").arg(states[s]));
    }
    {
        // The resting face of the refresh button; while it is disabled the
        // code shows the spinner frames instead.
        Canvas c(30, 30);
        DrawGlyph(c.painter(), Glyph::Refresh, QRectF(7, 7, 16, 16), pal::kWhite, 2.4);
        Save(c, "app/refresh_glyph.png");
    }
    {
        Canvas c(16, 16);
        DrawGlyph(c.painter(), Glyph::Phone, QRectF(0, 0, 16, 16), pal::kAccent, 2);
        Save(c, "app/device_16.png");
    }
    for (int s = 0; s < 2; ++s) {
        Canvas c(18, 18);
        if (s)
            RoundRect(c.painter(), c.rect(), 9, QColor(0xFF, 0xE4, 0xE4));
        DrawGlyph(c.painter(), Glyph::Cross, QRectF(3, 3, 12, 12), s ? pal::kRed : pal::kTextFaint, 2.4);
        Save(c, QString("app/remove_%1.png").arg(s ? "hot" : "normal"));
    }
}

// --- Notifications and download ----------------------------------------------

// The picture over an empty list: a pale disc with the list's glyph.
static void DrawEmptyState(Glyph glyph, const QString& name)
{
    Canvas c(96, 96);
    QPainter& p = c.painter();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xE6, 0xEC, 0xF5));
    p.drawEllipse(c.rect());
    DrawGlyph(p, glyph, QRectF(24, 23, 48, 48), QColor(0xA5, 0xB2, 0xC6), 1.6);
    Save(c, name);
}

void DrawNotifyAndDownload()
{
    {
        Canvas c(16, 16);
        DrawGlyph(c.painter(), Glyph::Bell, QRectF(0, 0, 16, 16), pal::kAccent, 2);
        Save(c, "notify/bell_16.png");
    }
    DrawEmptyState(Glyph::Bell, "notify/empty_96.png");
    DrawEmptyState(Glyph::Phone, "device/empty_96.png");
    DrawEmptyState(Glyph::Search, "app/empty_96.png");
    DrawEmptyState(Glyph::Record, "buy/empty_96.png");
    {
        // The download page picture: a cloud with a falling arrow into a phone.
        Canvas c(260, 170);
        QPainter& p = c.painter();
        DrawGlyph(p, Glyph::Cloud, QRectF(30, -5, 200, 170), WithAlpha(pal::kWhite, 70), 0.7);
        p.setPen(QPen(WithAlpha(pal::kWhite, 230), 3));
        QLinearGradient pg(0, 60, 0, 170);
        pg.setColorAt(0, QColor(0x4B, 0x9B, 0xFF, 200));
        pg.setColorAt(1, QColor(0x1C, 0x4F, 0xD6, 200));
        p.setBrush(pg);
        p.drawRoundedRect(QRectF(98, 62, 64, 104), 10, 10);
        DrawGlyph(p, Glyph::Install, QRectF(110, 86, 40, 40), pal::kWhite, 2);
        Save(c, "download/hero.png");
    }
}

} // namespace skinart
