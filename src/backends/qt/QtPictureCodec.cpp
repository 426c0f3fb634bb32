#include "backends/qt/QtPictureCodec.h"

#include "backends/gif/GifDecoder.h"
#include "backends/qt/QtConvert.h"
#include "platform/PictureData.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

#include <cerrno>
#include <cstring>
#include <new>

Picture QtPictureCodec::LoadPicture(const std::string& path) {
    // Only ordinary files, so a FIFO or a device never blocks or floods the loader.
    const QFileInfo info(QString::fromStdString(path));
    if (!info.isFile() || info.size() > MaxPictureFileSize)
        return nullptr;
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    return Decode(file.read(MaxPictureFileSize + 1));
}

Picture QtPictureCodec::Decode(const QByteArray& bytes) {
    if (bytes.isEmpty() || bytes.size() > MaxPictureFileSize)
        return nullptr;
    if (bytes.startsWith("GIF8"))
        return DecodeGif(reinterpret_cast<const unsigned char*>(bytes.constData()),
                         static_cast<std::size_t>(bytes.size()));

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > MaxPictureSide || size.height() > MaxPictureSide ||
        static_cast<long long>(size.width()) * size.height() > MaxPicturePixels)
        return nullptr;
    if (!PictureDataComplete(reinterpret_cast<const unsigned char*>(bytes.constData()),
                             static_cast<std::size_t>(bytes.size())))
        return nullptr;
    QImage image;
    if (!reader.read(&image))
        return nullptr;
    return ToPicture(image);
}

bool QtPictureCodec::EncodeBmp(const Picture& picture, std::vector<unsigned char>& bytes,
                               std::string& error) {
    const QImage wrapped = WrapPicture(picture);
    if (wrapped.isNull()) {
        error = "No picture loaded to save.";
        return false;
    }
    const QImage image = wrapped.convertToFormat(QImage::Format_RGB888);
    if (image.isNull()) { // out of memory
        error = std::strerror(ENOMEM);
        return false;
    }
    try {
        QByteArray encoded;
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "bmp");
        if (!writer.write(image)) {
            error = writer.errorString().toStdString();
            return false;
        }
        bytes.assign(encoded.begin(), encoded.end());
    } catch (const std::bad_alloc&) {
        error = std::strerror(ENOMEM);
        return false;
    }
    return true;
}
