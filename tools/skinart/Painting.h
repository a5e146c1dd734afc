#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>

namespace skinart {

// The theme's colours; every picture takes its colours from here so the
// skin stays one palette.
namespace palette {
    inline const QColor kCaption { 0x0E, 0x1A, 0x3A };
    inline const QColor kMenu { 0x15, 0x24, 0x4C };
    inline const QColor kMenuHot { 0x1F, 0x33, 0x66 };
    inline const QColor kMenuSelected { 0x27, 0x3F, 0x7D };
    inline const QColor kAccent { 0x2F, 0x7C, 0xF6 };
    inline const QColor kAccentHot { 0x4B, 0x90, 0xFF };
    inline const QColor kAccentPushed { 0x1E, 0x62, 0xD0 };
    inline const QColor kAccentDisabled { 0xA9, 0xC3, 0xEA };
    inline const QColor kAccentTint { 0xEA, 0xF2, 0xFF };
    inline const QColor kContent { 0xF3, 0xF5, 0xF9 };
    inline const QColor kCard { 0xFF, 0xFF, 0xFF };
    inline const QColor kBorder { 0xDC, 0xE2, 0xEC };
    inline const QColor kBorderHot { 0x9C, 0xBF, 0xF8 };
    inline const QColor kText { 0x1F, 0x2A, 0x3D };
    inline const QColor kTextMuted { 0x6B, 0x77, 0x8C };
    inline const QColor kTextFaint { 0xB4, 0xBC, 0xC9 };
    inline const QColor kRed { 0xF0, 0x4D, 0x4D };
    inline const QColor kGreen { 0x22, 0xB5, 0x73 };
    inline const QColor kOrange { 0xF5, 0xA6, 0x23 };
    inline const QColor kTeal { 0x12, 0xB3, 0xA8 };
    inline const QColor kWhite { 0xFF, 0xFF, 0xFF };
} // namespace palette

QColor WithAlpha(QColor c, int alpha);

// The scale every Canvas made from now on draws at: 1, or 2 for the
// pictures of HiDPI screens. Drawing code stays in the picture's logical
// pixels either way.
void SetCanvasScale(int scale);

// A transparent ARGB image and a painter with antialiasing on it, of
// width × height logical pixels at the current canvas scale.
class Canvas {
public:
    Canvas(int width, int height);
    QPainter& painter() { return m_painter; }
    QRectF rect() const { return QRectF(0, 0, m_width, m_height); }
    // Ends painting and writes the PNG to root/relative (folders are made);
    // at scale 2 as relative with "@2x" before ".png", the name the engine
    // looks for on a HiDPI screen.
    bool Save(const QString& root, const QString& relative);

private:
    int m_width;
    int m_height;
    int m_scale;
    QImage m_image;
    QPainter m_painter;
};

// A rounded rectangle, filled and optionally outlined inside its bounds.
void RoundRect(QPainter& p, const QRectF& r, qreal radius, const QColor& fill,
    const QColor& border = QColor(), qreal borderWidth = 1.0);

// A vertical gradient fill of a rounded rectangle.
void RoundRectGradient(QPainter& p, const QRectF& r, qreal radius, const QColor& top, const QColor& bottom,
    const QColor& border = QColor());

// A soft drop shadow under a rounded card: a few widening translucent rings.
void SoftShadow(QPainter& p, const QRectF& card, qreal radius, int spread, int alpha);

// Number of pictures written so far and the number that failed.
int SavedCount();
int FailedCount();

} // namespace skinart
