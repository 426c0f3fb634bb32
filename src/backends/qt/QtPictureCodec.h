// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IPictureCodec.h"

#include <QByteArray>

class QtPictureCodec : public IPictureCodec {
  public:
    Picture LoadPicture(const std::string& path) override;
    bool EncodeBmp(const Picture& picture, std::vector<unsigned char>& bytes,
                   std::string& error) override;
    bool EncodePng(const Picture& picture, std::vector<unsigned char>& bytes,
                   std::string& error) override;
    static Picture Decode(const QByteArray& bytes);
};
