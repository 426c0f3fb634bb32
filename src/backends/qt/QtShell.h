#pragma once

#include "platform/IShell.h"

#include <QUrl>

// Opens files and addresses with the programs the desktop associates with them.
class QtShell : public IShell {
  public:
    void Open(const std::string& target) override;
    // An absolute path becomes a file URL of the path's bytes, whatever their encoding.
    static QUrl UrlFor(const std::string& target);
};
