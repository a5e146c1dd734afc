#include "platform/ImageCodec.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

std::string StretchedJpeg(std::string_view imageBytes, int width, int height)
{
    if (imageBytes.empty() || width <= 0 || height <= 0)
        return {};
    QByteArray data = QByteArray::fromRawData(imageBytes.data(), static_cast<qsizetype>(imageBytes.size()));
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer);
    // Readers that can decode at a smaller size (JPEG) skip most of the work.
    reader.setScaledSize(QSize(width, height));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    if (image.width() != width || image.height() != height)
        image = image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    image = image.convertToFormat(QImage::Format_RGB888);

    QByteArray jpeg;
    QBuffer out(&jpeg);
    if (!out.open(QIODevice::WriteOnly))
        return {};
    QImageWriter writer(&out, "jpeg");
    if (!writer.write(image))
        return {};
    return std::string(jpeg.constData(), static_cast<std::size_t>(jpeg.size()));
}
