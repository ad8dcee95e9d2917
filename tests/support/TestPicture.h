// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/framesharing/FrameView.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

// An asymmetric BGRA picture whose every pixel tells where it is (and which picture it is), so a
// test sees flips, shifts, swapped channels and stale frames.
class TestPicture
{
public:
    TestPicture(int width, int height, int seed = 0);

    int width() const { return m_width; }
    int height() const { return m_height; }
    int stride() const { return m_width * 4; }
    // The picture top-down: its first row is the top.
    const std::vector<std::uint8_t> &topDown() const { return m_pixels; }
    // The same picture as a frame-sharing texture: first row = bottom of the picture.
    framesharing::FrameView asTexture() const;
    // The texture's bytes, as a frame-sharing client hands them over.
    QByteArray textureBytes() const;

    static std::uint32_t pixel(int x, int y, int seed);

    // The rows of topDown-ordered data in reverse order (bottom row first).
    static QByteArray reversedRows(const QByteArray &data, int stride);

private:
    int m_width;
    int m_height;
    std::vector<std::uint8_t> m_pixels;
    std::vector<std::uint8_t> m_texture;
};
