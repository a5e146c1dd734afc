#include "Painting.h"

#include <QDir>
#include <QFileInfo>
#include <QPainterPath>
#include <cstdio>

namespace skinart {

namespace {
    int g_saved = 0;
    int g_failed = 0;
    int g_scale = 1;
} // namespace

void SetCanvasScale(int scale)
{
    g_scale = scale;
}

QColor WithAlpha(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

Canvas::Canvas(int width, int height)
    : m_width(width)
    , m_height(height)
    , m_scale(g_scale)
    , m_image(width * g_scale, height * g_scale, QImage::Format_ARGB32_Premultiplied)
{
    m_image.fill(Qt::transparent);
    m_painter.begin(&m_image);
    m_painter.scale(m_scale, m_scale);
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

bool Canvas::Save(const QString& root, const QString& relative)
{
    m_painter.end();
    QString name = relative;
    if (m_scale != 1 && name.endsWith(QLatin1String(".png")))
        name.insert(name.size() - 4, QStringLiteral("@%1x").arg(m_scale));
    const QString path = root + "/" + name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Straight alpha in the file: what every PNG reader expects.
    const QImage out = m_image.convertToFormat(QImage::Format_ARGB32);
    if (!out.save(path, "PNG")) {
        std::fprintf(stderr, "skinart: cannot write %s\n", qPrintable(path));
        ++g_failed;
        return false;
    }
    ++g_saved;
    return true;
}

void RoundRect(
    QPainter& p, const QRectF& r, qreal radius, const QColor& fill, const QColor& border, qreal borderWidth)
{
    p.save();
    if (border.isValid()) {
        const qreal half = borderWidth / 2.0;
        const QRectF inner = r.adjusted(half, half, -half, -half);
        p.setPen(QPen(border, borderWidth));
        p.setBrush(fill.isValid() ? QBrush(fill) : QBrush(Qt::NoBrush));
        p.drawRoundedRect(inner, std::max<qreal>(0, radius - half), std::max<qreal>(0, radius - half));
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(r, radius, radius);
    }
    p.restore();
}

void RoundRectGradient(
    QPainter& p, const QRectF& r, qreal radius, const QColor& top, const QColor& bottom, const QColor& border)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.save();
    if (border.isValid()) {
        p.setPen(QPen(border, 1));
        p.setBrush(g);
        p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(r, radius, radius);
    }
    p.restore();
}

void SoftShadow(QPainter& p, const QRectF& card, qreal radius, int spread, int alpha)
{
    p.save();
    p.setPen(Qt::NoPen);
    for (int i = spread; i >= 1; --i) {
        const int a = alpha * (spread - i + 1) / (spread * spread);
        p.setBrush(QColor(16, 32, 64, a));
        const QRectF r = card.adjusted(-i, -i + 1, i, i + 1);
        p.drawRoundedRect(r, radius + i, radius + i);
    }
    p.restore();
}

int SavedCount()
{
    return g_saved;
}
int FailedCount()
{
    return g_failed;
}

} // namespace skinart
