// SPDX-License-Identifier: MIT

#pragma once

#include <string>

class IShell {
  public:
    virtual ~IShell() = default;
    // Opens a file or address with the program the desktop associates with it.
    virtual void Open(const std::string& target) = 0;
    // A desktop notification, where the desktop runs a notification service, with an
    // action that opens the folder; nothing elsewhere.
    virtual void Notify(const std::string& summary, const std::string& body,
                        const std::string& folder) = 0;
};
