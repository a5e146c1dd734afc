#include "service/account/AvatarPicture.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainter>

namespace service {

std::string SeedAvatar(std::uint32_t rgb)
{
    QImage image(128, 128, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor colour(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
            static_cast<int>(rgb & 0xFF));
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour.lighter(170));
        painter.drawEllipse(QRectF(0, 0, 128, 128));
        painter.setBrush(colour);
        painter.drawEllipse(QRectF(40, 22, 48, 48));
        painter.drawChord(QRectF(18, 78, 92, 84), 0, 180 * 16);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return std::string(png.constData(), static_cast<std::size_t>(png.size()));
}

} // namespace service
