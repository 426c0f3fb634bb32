// SPDX-License-Identifier: MIT

#pragma once

#include "backends/win32/Win32Common.h"
#include "platform/IShell.h"

// Opens files and addresses with the programs the system associates with them.
class Win32Shell : public IShell {
  public:
    explicit Win32Shell(HWND owner = nullptr) : owner_(owner) {}
    void Open(const std::string& target) override;
    // No desktop notification here: the notice beside the phone tells.
    void Notify(const std::string&, const std::string&, const std::string&) override {}

  private:
    HWND owner_;
};
