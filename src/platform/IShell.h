#pragma once

#include <string>

class IShell {
  public:
    virtual ~IShell() = default;
    // Opens a file or address with the program the desktop associates with it.
    virtual void Open(const std::string& target) = 0;
};
