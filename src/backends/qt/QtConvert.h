// SPDX-License-Identifier: MIT

#pragma once

#include "platform/Picture.h"
#include "platform/Region.h"

#include <QImage>
#include <QRegion>

// Wraps a picture's pixels without copying, with their opacity when the picture has Alpha;
// the QImage must not outlive the picture.
QImage WrapPicture(const Picture& picture);
enum class Opacity { Drop, Keep };
// Copies a QImage into a picture; null when memory runs out. With Opacity::Keep an image
// with pixels that are not fully opaque gives a picture with Alpha.
Picture ToPicture(const QImage& image, Opacity opacity = Opacity::Drop);
// The region as Qt's, built in one step from its bands.
QRegion ToQRegion(const Region& region);
