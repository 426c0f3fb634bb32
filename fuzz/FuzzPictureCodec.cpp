// SPDX-License-Identifier: MIT

// Any bytes through the picture codec's decoder, as a skin picture's file reaches it: BMP,
// PNG and JPEG through Qt's readers after the completeness check, GIF through ours. No
// picture, or one within the picture limits.
#include "backends/qt/QtPictureCodec.h"

#include <QtGlobal>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The readers' warnings about damaged files would flood the log.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Picture picture = QtPictureCodec::Decode(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (!picture)
        return 0;
    const long long w = picture->Width, h = picture->Height;
    if (w <= 0 || h <= 0 || w > MaxPictureSide || h > MaxPictureSide || w * h > MaxPicturePixels ||
        picture->Pixels.size() != static_cast<std::size_t>(w * h))
        std::abort();
    return 0;
}
