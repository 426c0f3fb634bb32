#pragma once

#include "platform/IShell.h"

class QtShell : public IShell {
  public:
    void Open(const std::string& target) override;
};
