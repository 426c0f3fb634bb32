// SPDX-License-Identifier: MIT

#pragma once

#include <string>

struct AboutTexts {
    std::string Caption;
    std::string Title;
    std::string Version;
    std::string Description;
    std::string Notice;
    std::string Email;
    std::string WebSite;
    std::string SkinsLink;
};

class IAboutView {
  public:
    virtual ~IAboutView() = default;
    virtual void Show(const AboutTexts& texts) = 0; // modal; returns when closed
    virtual void Close() = 0;
};
