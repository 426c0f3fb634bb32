// SPDX-License-Identifier: MIT

#include "backends/qt/QtPictureCodec.h"

#include "backends/gif/GifDecoder.h"
#include "backends/qt/QtConvert.h"
#include "io/ReadFile.h"
#include "platform/PictureData.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

Picture QtPictureCodec::LoadPicture(const std::string& path) {
    // The path's bytes go to the system as they are: a QString would decode them as UTF-8
    // and lose names in other encodings. Only ordinary files are read, so a FIFO or a device
    // never blocks or floods the loader.
    const FileBytes file = ReadOrdinaryFile(path, static_cast<std::size_t>(MaxPictureFileSize));
    const QByteArray bytes =
        QByteArray::fromRawData(file.Bytes.data(), static_cast<qsizetype>(file.Bytes.size()));
    return Decode(bytes);
}

Picture QtPictureCodec::Decode(const QByteArray& bytes) {
    if (bytes.isEmpty() || bytes.size() > MaxPictureFileSize)
        return nullptr;
    if (bytes.startsWith("GIF8"))
        return DecodeGif(reinterpret_cast<const unsigned char*>(bytes.constData()),
                         static_cast<std::size_t>(bytes.size()));

    // Judged before the reader is made: it reads every segment and text as it opens.
    const auto* raw = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto count = static_cast<std::size_t>(bytes.size());
    const char* format = PictureFormat(raw, count);
    if (!format || !PictureCostBounded(raw, count) || !PictureDataComplete(raw, count))
        return nullptr;
    QBuffer buffer;
    try {
        const std::vector<unsigned char> png = PngWithoutText(raw, count);
        buffer.setData(png.empty() ? bytes
                                   : QByteArray(reinterpret_cast<const char*>(png.data()),
                                                static_cast<qsizetype>(png.size())));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    // A top-down BMP's height comes as its header holds it: negative.
    const QSize size = reader.size();
    const long long width = size.width(), height = std::llabs(size.height());
    if (width <= 0 || height <= 0 || width > MaxPictureSide || height > MaxPictureSide ||
        width * height > MaxPicturePixels)
        return nullptr;
    QImage image;
    if (!reader.read(&image))
        return nullptr;
    return ToPicture(image, Opacity::Keep);
}

namespace {

// Encodes a picture in memory in one of Qt's writable formats.
WriteResult EncodeAs(const QImage& image, const char* format, std::vector<unsigned char>& bytes) {
    try {
        QByteArray encoded;
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, format);
        if (!writer.write(image))
            return WriteResult::Failed(writer.errorString().toStdString());
        bytes.assign(encoded.begin(), encoded.end());
    } catch (const std::bad_alloc&) {
        return WriteResult::Failed(std::strerror(ENOMEM));
    }
    return {};
}

} // namespace

WriteResult QtPictureCodec::EncodeBmp(const Picture& picture, std::vector<unsigned char>& bytes) {
    const QImage wrapped = WrapPicture(picture);
    if (wrapped.isNull())
        return WriteResult::Failed(NoPictureToSave);
    const QImage image = wrapped.convertToFormat(QImage::Format_RGB888);
    if (image.isNull()) // out of memory
        return WriteResult::Failed(std::strerror(ENOMEM));
    return EncodeAs(image, "bmp", bytes);
}

WriteResult QtPictureCodec::EncodePng(const Picture& picture, std::vector<unsigned char>& bytes) {
    const QImage image = WrapPicture(picture);
    return image.isNull() ? WriteResult::Failed(NoPictureToSave) : EncodeAs(image, "png", bytes);
}
