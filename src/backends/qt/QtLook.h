// SPDX-License-Identifier: MIT

#pragma once

#include <QCursor>
#include <QString>

class QWidget;

// The hand pointer of the hot spots and links, from the compiled-in picture.
const QCursor& HandCursor();
// A message box titled "Tarvik" with an OK button; the text is shown as it is, never as
// markup (a name like "<b>x.inf" stays a name).
void ShowPlainMessage(const QString& text, QWidget* parent = nullptr);
