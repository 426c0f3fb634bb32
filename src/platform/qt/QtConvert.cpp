#include "platform/qt/QtConvert.h"

#include <cstring>

QImage WrapPicture(const Picture& picture) {
    if (!picture || picture->Width <= 0 || picture->Height <= 0)
        return {};
    return QImage(reinterpret_cast<const uchar*>(picture->Pixels.data()), picture->Width,
                  picture->Height, picture->Width * 4, QImage::Format_RGB32);
}

Picture ToPicture(const QImage& source) {
    if (source.isNull())
        return nullptr;
    const QImage rgb = source.convertToFormat(QImage::Format_RGB32);
    auto image = std::make_shared<Image>(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(&image->At(0, y), rgb.constScanLine(y), static_cast<std::size_t>(rgb.width()) * 4);
    return image;
}
