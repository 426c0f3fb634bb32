// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IPictureCodec.h"

#include <QByteArray>

class QtPictureCodec : public IPictureCodec {
  public:
    Picture LoadPicture(const std::string& path) override;
    WriteResult EncodeBmp(const Picture& picture, std::vector<unsigned char>& bytes) override;
    WriteResult EncodePng(const Picture& picture, std::vector<unsigned char>& bytes) override;
    static Picture Decode(const QByteArray& bytes);
};
