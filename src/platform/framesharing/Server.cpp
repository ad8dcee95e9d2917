// SPDX-License-Identifier: GPL-3.0-or-later
#include "Server.h"

#include <cstring>

namespace framesharing {

bool Server::publish(const FrameView &texture)
{
    if (texture.isEmpty() || texture.stride < texture.width * 4)
        return false;
    ServerFrame frame = beginFrame(texture.width, texture.height);
    if (!frame)
        return false;
    const std::size_t rowBytes = std::size_t(texture.width) * 4;
    for (int row = 0; row < texture.height; ++row)
        std::memcpy(frame.textureRow(row), texture.row(row), rowBytes);
    return submitFrame(std::move(frame));
}

} // namespace framesharing
