#include "platform/picture.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>

#include "platform/jpeg_decode.h"

namespace kyomat {

std::optional<QImage> decode_jpeg(const std::string& bytes, QString& error) {
    RgbImage rgb;
    std::string why;
    if (!decode_jpeg_rgb(bytes, rgb, why)) {
        error = QString("Das Bild kann nicht gelesen werden: %1").arg(QString::fromStdString(why));
        return std::nullopt;
    }
    QImage image(rgb.width, rgb.height, QImage::Format_RGB888);
    for (int y = 0; y < rgb.height; ++y) {
        std::copy_n(rgb.rgb.data() + static_cast<std::size_t>(y) * rgb.width * 3, rgb.width * 3,
                    image.scanLine(y));
    }
    return image;
}

std::optional<QImage> decode_with_qt(const std::string& bytes, const char* format,
                                     const QString& name, QString& error) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    QImage image = reader.read();
    if (image.isNull()) {
        error = QString("Das Bild \"%1\" kann nicht gelesen werden: %2")
                    .arg(name, reader.errorString());
        return std::nullopt;
    }
    // The reader worked on borrowed bytes: keep a picture of its own.
    image.detach();
    return image;
}

}  // namespace kyomat
