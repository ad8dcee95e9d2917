// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>
#include <pixman.h>

namespace ScreenCapture {

// Draws a picture into a frame of another size: scaled (bilinear) to fit while keeping its aspect
// ratio, centred, with black bars on the sides left over. Allocates nothing.
class FrameScaler
{
public:
    // Where a source of sourceSize lands in a frame of frameSize.
    static QRect fittedRect(QSize sourceSize, QSize frameSize);

    // source and frame are a8r8g8b8 or x8r8g8b8 images; the frame gets opaque black bars, and
    // alpha 255 wherever the source is x8r8g8b8.
    static void draw(pixman_image_t *source, pixman_image_t *frame);
};

} // namespace ScreenCapture
