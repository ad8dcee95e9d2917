// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameScaler.h"

#include <cmath>

namespace ScreenCapture {

QRect FrameScaler::fittedRect(QSize sourceSize, QSize frameSize)
{
    if (sourceSize.isEmpty() || frameSize.isEmpty())
        return {};
    const double scale = std::min(double(frameSize.width()) / sourceSize.width(),
                                  double(frameSize.height()) / sourceSize.height());
    const int w = std::clamp(int(std::lround(sourceSize.width() * scale)), 1, frameSize.width());
    const int h = std::clamp(int(std::lround(sourceSize.height() * scale)), 1, frameSize.height());
    return QRect((frameSize.width() - w) / 2, (frameSize.height() - h) / 2, w, h);
}

void FrameScaler::draw(pixman_image_t *source, pixman_image_t *frame)
{
    const QSize sourceSize(pixman_image_get_width(source), pixman_image_get_height(source));
    const QSize frameSize(pixman_image_get_width(frame), pixman_image_get_height(frame));
    const QRect target = fittedRect(sourceSize, frameSize);
    if (target.isEmpty())
        return;

    // Bars: the parts of the frame outside the target.
    static const pixman_color_t black{0, 0, 0, 0xffff};
    const pixman_box32_t bars[] = {
        {0, 0, frameSize.width(), target.top()},
        {0, target.bottom() + 1, frameSize.width(), frameSize.height()},
        {0, target.top(), target.left(), target.bottom() + 1},
        {target.right() + 1, target.top(), frameSize.width(), target.bottom() + 1},
    };
    pixman_box32_t nonEmpty[4];
    int count = 0;
    for (const pixman_box32_t &bar : bars) {
        if (bar.x2 > bar.x1 && bar.y2 > bar.y1)
            nonEmpty[count++] = bar;
    }
    if (count)
        pixman_image_fill_boxes(PIXMAN_OP_SRC, frame, &black, count, nonEmpty);

    if (target.size() == sourceSize) {
        pixman_image_set_transform(source, nullptr);
        pixman_image_set_filter(source, PIXMAN_FILTER_NEAREST, nullptr, 0);
        pixman_image_set_repeat(source, PIXMAN_REPEAT_NONE);
    } else {
        pixman_transform_t transform;
        pixman_transform_init_scale(
            &transform, pixman_double_to_fixed(double(sourceSize.width()) / target.width()),
            pixman_double_to_fixed(double(sourceSize.height()) / target.height()));
        pixman_image_set_transform(source, &transform);
        pixman_image_set_filter(source, PIXMAN_FILTER_BILINEAR, nullptr, 0);
        // Edge pixels repeat outwards instead of fading into transparent black.
        pixman_image_set_repeat(source, PIXMAN_REPEAT_PAD);
    }
    pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, frame, 0, 0, 0, 0, target.x(),
                             target.y(), target.width(), target.height());
    pixman_image_set_transform(source, nullptr);
}

} // namespace ScreenCapture
