// SPDX-License-Identifier: MIT

#pragma once

#include <QImage>

#include <cstddef>
#include <memory>

class QByteArray;

// Memory for the decode of a picture of one size, every page of it touched when made: a
// decode into it spends no time on fresh memory. Made while the portal is still at work.
struct PngRoom {
    QImage Image;                          // RGB32
    std::unique_ptr<unsigned char[]> Rows; // the inflated rows
    std::size_t RowsSize = 0;
};
PngRoom ReservePngRoom(QSize size);

// The PNG files screenshot services write (8 bits per channel, RGB or RGBA, not interlaced),
// decoded straight into RGB32 with alpha dropped, two or more times faster than the
// general reader. A null image for any other file, or a damaged one: the general reader
// then says what is wrong with it.
// The room, if given, is used where the picture fits it.
QImage DecodeScreenshotPng(const QByteArray& file, PngRoom* room = nullptr);
