// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestPicture.h"

#include <cstring>

TestPicture::TestPicture(int width, int height, int seed)
    : m_width(width), m_height(height), m_pixels(std::size_t(width) * height * 4),
      m_texture(m_pixels.size())
{
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t value = pixel(x, y, seed);
            std::memcpy(&m_pixels[(std::size_t(y) * width + x) * 4], &value, 4);
        }
    }
    for (int y = 0; y < height; ++y)
        std::memcpy(&m_texture[std::size_t(height - 1 - y) * stride()],
                    &m_pixels[std::size_t(y) * stride()], std::size_t(stride()));
}

std::uint32_t TestPicture::pixel(int x, int y, int seed)
{
    // Little-endian BGRA: blue = x, green = y, red = high bits and the seed, alpha opaque.
    const std::uint32_t blue = std::uint32_t(x) & 0xff;
    const std::uint32_t green = std::uint32_t(y) & 0xff;
    const std::uint32_t red = ((std::uint32_t(x) >> 8) & 0x7) |
                              (((std::uint32_t(y) >> 8) & 0x7) << 3) |
                              ((std::uint32_t(seed) & 0x3) << 6);
    return blue | (green << 8) | (red << 16) | 0xff000000u;
}

framesharing::FrameView TestPicture::asTexture() const
{
    return framesharing::FrameView{m_texture.data(), m_width, m_height, stride()};
}

QByteArray TestPicture::textureBytes() const
{
    return QByteArray(reinterpret_cast<const char *>(m_texture.data()),
                      qsizetype(m_texture.size()));
}

QByteArray TestPicture::reversedRows(const QByteArray &data, int stride)
{
    QByteArray out(data.size(), Qt::Uninitialized);
    const int rows = data.size() / stride;
    for (int y = 0; y < rows; ++y)
        std::memcpy(out.data() + qsizetype(rows - 1 - y) * stride,
                    data.constData() + qsizetype(y) * stride, std::size_t(stride));
    return out;
}
