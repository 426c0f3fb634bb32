#pragma once

#include <string>

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // Modal message box: OK button only, no icon, the program's title as caption.
    virtual void MessageBox(const std::string& text) = 0;
};
