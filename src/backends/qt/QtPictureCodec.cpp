#include "backends/qt/QtPictureCodec.h"

#include "backends/gif/GifDecoder.h"
#include "backends/qt/QtConvert.h"
#include "io/WriteFaults.h"
#include "platform/PictureData.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

#include <cerrno>
#include <cstring>

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

bool QtPictureCodec::SaveBmp(const Picture& picture, const std::string& path, std::string& error) {
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
    QFile file(QString::fromStdString(path));
    // A new file only: the caller chose a fresh temporary name.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        error = file.errorString().toStdString();
        return false;
    }
    QImageWriter writer(&file, "bmp");
    if (!writer.write(image) || !file.flush()) {
        error = writer.error() != QImageWriter::UnknownError ? writer.errorString().toStdString()
                                                             : file.errorString().toStdString();
        return false;
    }
    file.close();
    if (const int fault = WriteFaultFor(path)) {
        error = std::strerror(fault);
        return false;
    }
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString().toStdString();
        return false;
    }
    return true;
}
