#pragma once

#include "platform/IPictureCodec.h"

#include <QByteArray>

class QtPictureCodec : public IPictureCodec {
  public:
    // Largest picture file read.
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

    Picture LoadPicture(const std::string& path) override;
    bool SaveBmp(const Picture& picture, const std::string& path, std::string& error) override;
    static Picture Decode(const QByteArray& bytes);
};
