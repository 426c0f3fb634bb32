// SPDX-License-Identifier: MIT

#include "backends/qt/QtClipboard.h"

#include "backends/qt/QtConvert.h"

#include <QClipboard>
#include <QGuiApplication>

bool QtClipboard::SetPicture(const Picture& picture) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QImage image = WrapPicture(picture).copy(); // the clipboard keeps its own copy
    if (!clipboard || image.isNull())
        return false;
    clipboard->setImage(image);
    return true;
}
