// SPDX-License-Identifier: GPL-3.0-or-later
#include "GpuCommandBuffer.h"

#include <QImage>

bool GpuCommandBuffer::encodeReadBack(std::shared_ptr<GpuTexture> texture, QImage &image)
{
    if (!texture)
        return false;
    const QSize size(texture->width(), texture->height());
    if (image.size() != size || image.format() != QImage::Format_ARGB32)
        image = QImage(size, QImage::Format_ARGB32);
    if (image.isNull())
        return false;
    // Format_ARGB32 keeps each pixel as a native 32-bit 0xAARRGGBB word, whose bytes on a
    // little-endian machine are blue, green, red, alpha: the texture's own byte order.
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the preview expects BGRA bytes in ARGB32");
    return encodeReadBack(std::move(texture), image.bits(), image.bytesPerLine(),
                          GpuRowOrder::lastRowFirst);
}
