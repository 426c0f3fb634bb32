// SPDX-License-Identifier: MIT

#include "app/ShortTextDialogs.h"

#include "app/DisplayText.h"

void ShortTextDialogs::MessageBox(const std::string& text) {
    dialogs_.MessageBox(ShortenForDisplay(text));
}
