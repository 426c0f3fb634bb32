#pragma once

#include "platform/Picture.h"

#include <QImage>

// Wraps a picture's pixels without copying; the QImage must not outlive the picture.
QImage WrapPicture(const Picture& picture);
// Copies a QImage into a picture.
Picture ToPicture(const QImage& image);
