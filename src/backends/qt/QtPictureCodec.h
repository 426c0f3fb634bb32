#pragma once

#include "platform/IPictureCodec.h"

#include <QByteArray>

class QtPictureCodec : public IPictureCodec {
  public:
    Picture LoadPicture(const std::string& path) override;
    bool SaveBmp(const Picture& picture, const std::string& path, std::string& error) override;
    static Picture Decode(const QByteArray& bytes);
};
