#pragma once

#include "platform/IShell.h"
#include "backends/win32/Win32Common.h"

// Opens files and addresses with the programs the system associates with them.
class Win32Shell : public IShell {
  public:
    explicit Win32Shell(HWND owner = nullptr) : owner_(owner) {}
    void Open(const std::string& target) override;

  private:
    HWND owner_;
};
