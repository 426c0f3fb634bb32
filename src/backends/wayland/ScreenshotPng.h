// SPDX-License-Identifier: MIT

#pragma once

#include <QImage>

class QByteArray;

// The PNG files screenshot services write (8 bits per channel, RGB or RGBA, not interlaced),
// decoded straight into RGB32 with alpha dropped, several times faster than the general
// reader. A null image for any other file, or a damaged one: the general reader then says
// what is wrong with it.
QImage DecodeScreenshotPng(const QByteArray& file);
