// SPDX-License-Identifier: MIT

#pragma once

#include "platform/Picture.h"
#include "platform/Region.h"

#include <QImage>
#include <QRegion>

// Wraps a picture's pixels without copying, with their opacity when the picture has Alpha;
// the QImage must not outlive the picture.
QImage WrapPicture(const Picture& picture);
// Copies a QImage into a picture; null when memory runs out.
Picture ToPicture(const QImage& image);
// The region as Qt's, built in one step from its bands.
QRegion ToQRegion(const Region& region);
