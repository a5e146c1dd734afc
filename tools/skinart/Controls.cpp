// The pictures of the common controls: backgrounds, panels, buttons, check
// boxes, menus and tabs, edits, scroll bars and progress bars.
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <random>

#include "Glyphs.h"
#include "Painting.h"
#include "Parts.h"

namespace skinart {
namespace pal = skinart::palette;

// --- Backgrounds --------------------------------------------------------------

// The dark backdrop of the sign-in and download pages: a deep blue diagonal
// gradient with soft light, a dot grid and a quiet drawing of cloud phones.
void DrawSignBackground()
{
    Canvas c(900, 600);
    QPainter& p = c.painter();
    QLinearGradient g(0, 0, 900, 600);
    g.setColorAt(0, QColor(0x0C, 0x17, 0x36));
    g.setColorAt(0.55, QColor(0x14, 0x2B, 0x63));
    g.setColorAt(1, QColor(0x1D, 0x46, 0x9C));
    p.fillRect(c.rect(), g);

    auto glow = [&](QPointF at, qreal r, QColor col) {
        QRadialGradient rg(at, r);
        rg.setColorAt(0, col);
        rg.setColorAt(1, WithAlpha(col, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(rg);
        p.drawEllipse(at, r, r);
    };
    glow({ 250, 330 }, 300, QColor(0x3C, 0x8B, 0xFF, 70));
    glow({ 820, 80 }, 260, QColor(0x5A, 0xC8, 0xFF, 40));

    // Dot grid, fading out to the right.
    p.setPen(Qt::NoPen);
    for (int y = 70; y < 600; y += 22) {
        for (int x = 20; x < 500; x += 22) {
            const int a = std::max(0, 36 - x / 14);
            p.setBrush(QColor(255, 255, 255, a));
            p.drawEllipse(QPointF(x, y), 1.1, 1.1);
        }
    }

    // Three phones standing in a cloud: the picture of the service.
    DrawGlyph(p, Glyph::Cloud, QRectF(70, 150, 360, 330), WithAlpha(pal::kWhite, 40), 0.5);
    auto phone = [&](QRectF r, int alpha) {
        p.setPen(QPen(WithAlpha(pal::kWhite, alpha), 2));
        QLinearGradient pg(r.topLeft(), r.bottomLeft());
        pg.setColorAt(0, QColor(0x4B, 0x9B, 0xFF, alpha / 2));
        pg.setColorAt(1, QColor(0x1C, 0x4F, 0xD6, alpha / 3));
        p.setBrush(pg);
        p.drawRoundedRect(r, 12, 12);
        p.setPen(Qt::NoPen);
        p.setBrush(WithAlpha(pal::kWhite, alpha / 3));
        const QRectF screen = r.adjusted(8, 16, -8, -22);
        p.drawRoundedRect(screen, 4, 4);
        // App tiles on the screen.
        p.setBrush(WithAlpha(pal::kWhite, alpha / 2));
        const qreal cell = screen.width() / 3.0;
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                p.drawRoundedRect(QRectF(screen.left() + col * cell + cell * 0.2,
                                      screen.top() + 10 + row * cell * 1.05, cell * 0.6, cell * 0.6),
                    3, 3);
        p.setBrush(WithAlpha(pal::kWhite, alpha));
        p.drawEllipse(QPointF(r.center().x(), r.bottom() - 11), 3.5, 3.5);
    };
    phone(QRectF(118, 262, 92, 170), 110);
    phone(QRectF(290, 262, 92, 170), 110);
    phone(QRectF(194, 222, 112, 206), 200);

    // Signal arcs above the middle phone.
    QPen arcPen(WithAlpha(pal::kWhite, 90), 3);
    arcPen.setCapStyle(Qt::RoundCap);
    p.setPen(arcPen);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        const qreal r = 18 + i * 14;
        p.drawArc(QRectF(250 - r, 200 - r, 2 * r, 2 * r), 50 * 16, 80 * 16);
    }
    Save(c, "bg/sign.png");
}

// The frosted form panel of the sign-in page (stretched with corners 12).
void DrawPanels()
{
    {
        Canvas c(40, 40);
        RoundRect(c.painter(), c.rect(), 12, QColor(255, 255, 255, 22), QColor(255, 255, 255, 46));
        Save(c, "bg/panel_dark.png");
    }
    {
        // A white card with a thin border and a soft shadow: corners 10.
        Canvas c(40, 40);
        SoftShadow(c.painter(), QRectF(4, 3, 32, 32), 6, 3, 40);
        RoundRect(c.painter(), QRectF(4, 3, 32, 32), 6, pal::kCard, pal::kBorder);
        Save(c, "bg/card.png");
    }
    {
        Canvas c(40, 40);
        RoundRect(c.painter(), c.rect(), 6, pal::kCard, pal::kBorder);
        Save(c, "bg/card_flat.png");
    }
    {
        // Top edge shadow under the caption strip on light pages.
        Canvas c(8, 6);
        QLinearGradient g(0, 0, 0, 6);
        g.setColorAt(0, QColor(16, 32, 64, 40));
        g.setColorAt(1, QColor(16, 32, 64, 0));
        c.painter().fillRect(c.rect(), g);
        Save(c, "bg/shadow_top.png");
    }
}

// --- Buttons ----------------------------------------------------------------

static void DrawButtonSet(
    const QString& stem, const QColor (&fills)[4], const QColor (&borders)[4], qreal radius)
{
    static const char* states[] = { "normal", "hot", "pushed", "disabled" };
    for (int s = 0; s < 4; ++s) {
        Canvas c(40, 32);
        RoundRect(c.painter(), c.rect(), radius, fills[s], borders[s]);
        Save(c, QString("btn/%1_%2.png").arg(stem).arg(states[s]));
    }
}

void DrawButtons()
{
    const QColor none;
    {
        const QColor f[4] = { pal::kAccent, pal::kAccentHot, pal::kAccentPushed, pal::kAccentDisabled };
        const QColor b[4] = { none, none, none, none };
        DrawButtonSet("primary", f, b, 4);
    }
    {
        const QColor f[4]
            = { pal::kCard, pal::kAccentTint, QColor(0xD8, 0xE6, 0xFD), QColor(0xF1, 0xF3, 0xF7) };
        const QColor b[4] = { pal::kBorder, pal::kBorderHot, pal::kAccent, QColor(0xE6, 0xE9, 0xEF) };
        DrawButtonSet("plain", f, b, 4);
    }
    {
        // Ghost buttons on the dark pages.
        const QColor f[4] = { QColor(255, 255, 255, 0), QColor(255, 255, 255, 30), QColor(255, 255, 255, 16),
            QColor(255, 255, 255, 0) };
        const QColor b[4] = { QColor(255, 255, 255, 110), QColor(255, 255, 255, 200),
            QColor(255, 255, 255, 150), QColor(255, 255, 255, 50) };
        DrawButtonSet("ghost", f, b, 4);
    }
    {
        const QColor f[4]
            = { pal::kCard, QColor(0xFF, 0xEE, 0xEE), QColor(0xFF, 0xDD, 0xDD), QColor(0xF1, 0xF3, 0xF7) };
        const QColor b[4] = { QColor(0xF3, 0xB4, 0xB4), pal::kRed, pal::kRed, QColor(0xE6, 0xE9, 0xEF) };
        DrawButtonSet("danger", f, b, 4);
    }
}

// --- Check boxes, options, edits --------------------------------------------

void DrawCheckBoxes()
{
    struct Look {
        const char* stem;
        QColor boxOff, borderOff, borderHot, fillOn, mark;
    };
    const Look looks[] = {
        { "check", pal::kCard, QColor(0xB9, 0xC2, 0xD0), pal::kAccent, pal::kAccent, pal::kWhite },
        { "check_white", QColor(255, 255, 255, 20), QColor(255, 255, 255, 150), pal::kWhite, pal::kWhite,
            pal::kAccent },
    };
    for (const Look& l : looks) {
        for (int s = 0; s < 5; ++s) {
            // 0 off, 1 off hot, 2 on, 3 on hot, 4 disabled
            Canvas c(16, 16);
            QPainter& p = c.painter();
            const QRectF r(0.5, 0.5, 15, 15);
            if (s <= 1)
                RoundRect(p, r, 3, l.boxOff, s == 1 ? l.borderHot : l.borderOff, 1.2);
            else if (s <= 3) {
                RoundRect(p, r, 3, s == 3 ? l.fillOn.lighter(112) : l.fillOn);
                DrawGlyph(p, Glyph::Check, QRectF(1, 1, 14, 14), l.mark, 2.6);
            } else {
                RoundRect(p, r, 3, QColor(0xEE, 0xF0, 0xF4), QColor(0xD5, 0xDA, 0xE2), 1.2);
            }
            static const char* names[] = { "off", "off_hot", "on", "on_hot", "disabled" };
            Save(c, QString("check/%1_%2.png").arg(l.stem).arg(names[s]));
        }
    }
}

void DrawMenuAndTabs()
{
    {
        Canvas c(40, 40);
        c.painter().fillRect(c.rect(), WithAlpha(pal::kWhite, 16));
        Save(c, "menu/hot.png");
    }
    {
        Canvas c(40, 40);
        QLinearGradient g(0, 0, 40, 0);
        g.setColorAt(0, WithAlpha(pal::kAccent, 120));
        g.setColorAt(1, WithAlpha(pal::kAccent, 40));
        c.painter().fillRect(c.rect(), g);
        c.painter().fillRect(QRectF(0, 0, 4, 40), pal::kAccentHot);
        Save(c, "menu/selected.png");
    }
    struct Icon {
        const char* name;
        Glyph glyph;
    };
    const Icon icons[] = { { "account", Glyph::User }, { "device", Glyph::Phone }, { "charge", Glyph::Coin },
        { "buy", Glyph::Cart }, { "setting", Glyph::Gear }, { "app", Glyph::Apps },
        { "notify", Glyph::Bell } };
    for (const Icon& it : icons) {
        Canvas c(18, 18);
        DrawGlyph(c.painter(), it.glyph, QRectF(0, 0, 18, 18), WithAlpha(pal::kWhite, 230), 1.9);
        Save(c, QString("menu/%1.png").arg(it.name));
    }
    // Underline tabs: the selected page has an accent bar under its text.
    {
        Canvas c(20, 36);
        RoundRect(c.painter(), QRectF(2, 33, 16, 3), 1.5, pal::kAccent);
        Save(c, "tab/selected.png");
    }
    {
        Canvas c(20, 36);
        RoundRect(c.painter(), QRectF(2, 34, 16, 2), 1, pal::kBorderHot);
        Save(c, "tab/hot.png");
    }
    // Pills: sub-category tags and group titles.
    const QColor fills[3] = { QColor(0xEE, 0xF1, 0xF6), pal::kAccentTint, pal::kAccent };
    const QColor borders[3] = { QColor(0xEE, 0xF1, 0xF6), pal::kBorderHot, pal::kAccent };
    static const char* names[] = { "normal", "hot", "selected" };
    for (int s = 0; s < 3; ++s) {
        Canvas c(40, 26);
        RoundRect(c.painter(), c.rect(), 13, fills[s], borders[s]);
        Save(c, QString("pill/%1.png").arg(names[s]));
    }
}

void DrawEdits()
{
    {
        Canvas c(20, 30);
        c.painter().fillRect(QRectF(0, 29, 20, 1), WithAlpha(pal::kWhite, 150));
        Save(c, "edit/line_white.png");
    }
    {
        Canvas c(20, 30);
        c.painter().fillRect(QRectF(0, 29, 20, 1), QColor(0xC9, 0xD1, 0xDD));
        Save(c, "edit/line_gray.png");
    }
    {
        Canvas c(40, 30);
        RoundRect(c.painter(), c.rect(), 4, pal::kCard, QColor(0xCF, 0xD6, 0xE1));
        Save(c, "edit/box.png");
    }
    {
        Canvas c(40, 30);
        RoundRect(c.painter(), c.rect(), 4, QColor(0xF3, 0xF5, 0xF8), QColor(0xE1, 0xE5, 0xEC));
        Save(c, "edit/box_disabled.png");
    }
    {
        // A search box: the glyph sits in the unscaled right corner (30 px).
        Canvas c(60, 30);
        RoundRect(c.painter(), c.rect(), 15, pal::kCard, QColor(0xCF, 0xD6, 0xE1));
        DrawGlyph(c.painter(), Glyph::Search, QRectF(38, 8, 14, 14), pal::kTextMuted, 2.2);
        Save(c, "edit/search.png");
    }
}

void DrawScrollBars()
{
    static const char* names[] = { "normal", "hot", "pushed" };
    const QColor fills[3] = { QColor(0xC3, 0xCA, 0xD6), QColor(0xA6, 0xB0, 0xC0), QColor(0x8E, 0x99, 0xAC) };
    for (int s = 0; s < 3; ++s) {
        Canvas c(9, 30);
        RoundRect(c.painter(), QRectF(1.5, 0, 6, 30), 3, fills[s]);
        Save(c, QString("scroll/thumb_%1.png").arg(names[s]));
    }
    {
        Canvas c(9, 30);
        RoundRect(c.painter(), QRectF(1.5, 0, 6, 30), 3, QColor(0xE9, 0xEC, 0xF1));
        Save(c, "scroll/rail.png");
    }
    {
        Canvas c(9, 30);
        RoundRect(c.painter(), QRectF(1.5, 0, 6, 30), 3, WithAlpha(pal::kWhite, 70));
        Save(c, "scroll/thumb_dark.png");
    }
}

void DrawProgress()
{
    {
        Canvas c(20, 8);
        RoundRect(c.painter(), c.rect(), 4, QColor(0xE3, 0xE8, 0xF0));
        Save(c, "progress/bg.png");
    }
    {
        Canvas c(20, 8);
        QLinearGradient g(0, 0, 20, 0);
        RoundRectGradient(c.painter(), c.rect(), 4, pal::kAccentHot, pal::kAccent);
        Save(c, "progress/fg.png");
    }
    {
        Canvas c(30, 15);
        RoundRect(c.painter(), c.rect(), 7.5, QColor(255, 255, 255, 40));
        Save(c, "progress/big_bg.png");
    }
    {
        Canvas c(30, 15);
        QPainter& p = c.painter();
        QLinearGradient g(0, 0, 0, 15);
        g.setColorAt(0, QColor(0x6F, 0xC3, 0xFF));
        g.setColorAt(1, QColor(0x2F, 0x7C, 0xF6));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(c.rect(), 7.5, 7.5);
        Save(c, "progress/big_fg.png");
    }
}

} // namespace skinart
