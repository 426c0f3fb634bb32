// SPDX-License-Identifier: MIT

#pragma once

// What the about box's view reports: clicks on the three links and anywhere else.
class IAboutListener {
  public:
    virtual ~IAboutListener() = default;
    virtual void Label1_Click() = 0; // the e-mail address
    virtual void Label2_Click() = 0; // the web site
    virtual void Label4_Click() = 0; // "Latest skins"
    virtual void Form_Click() = 0;
};
