// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/CaptureManager.h"
#include "engine/CaptureSession.h"
#include "platform/framesharing/Client.h"
#include "platform/framesharing/Server.h"
#include "support/XTestWindow.h"

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QTest>
#include <functional>
#include <memory>

// Runs a session task on the event loop to its end, for at most timeoutMs.
inline bool finish(QCoro::Task<> task, int timeoutMs = 20000)
{
    auto done = std::make_shared<bool>(false);
    auto waiting = task.then([done] { *done = true; });
    return QTest::qWaitFor([done] { return *done; }, timeoutMs);
}

// The uuid of a server once the daemon has made its node.
inline QString serverUuid(const framesharing::Server &server)
{
    return server.description().value(QStringLiteral("uuid")).toString();
}

// Starts session and waits until the daemon has made its output node: the session's server, or
// null when the start failed (the status says why) or no node appeared.
inline std::shared_ptr<framesharing::Server> startPublishing(CaptureSession &session,
                                                             CaptureManager &manager)
{
    if (!finish(session.start(manager)) || !session.isRunning())
        return nullptr;
    auto server = session.syphonServer();
    if (!server || !QTest::qWaitFor([&] { return !serverUuid(*server).isEmpty(); }, 10000))
        return nullptr;
    return server;
}

// Our own frame-sharing client on a session's output, keeping the newest frame received.
class OutputReceiver
{
public:
    explicit OutputReceiver(const framesharing::Server &server)
    {
        m_client =
            framesharing::Client::create(server.description(), [](framesharing::Client &) {});
    }
    ~OutputReceiver()
    {
        if (m_client)
            m_client->stop();
    }

    bool isValid() const { return m_client && m_client->isValid(); }
    std::shared_ptr<const framesharing::ClientFrame> newest() const
    {
        return m_client->newestFrame();
    }

    // The picture as a consumer shows it, top row first, as 0xAARRGGBB values; empty until a frame
    // has arrived.
    struct Picture
    {
        int width = 0;
        int height = 0;
        std::uint64_t sequence = 0;
        std::vector<uint32_t> pixels;
        uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    };
    Picture picture() const
    {
        Picture picture;
        const auto frame = newest();
        if (!frame)
            return picture;
        picture.width = frame->width;
        picture.height = frame->height;
        picture.sequence = frame->sequence;
        picture.pixels.resize(size_t(frame->width) * size_t(frame->height));
        for (int y = 0; y < frame->height; ++y) {
            // A frame's first row is the bottom of the picture.
            const auto *row =
                reinterpret_cast<const uint32_t *>(frame->view().row(frame->height - 1 - y));
            std::copy(row, row + frame->width,
                      picture.pixels.begin() + ptrdiff_t(y) * frame->width);
        }
        return picture;
    }

private:
    std::shared_ptr<framesharing::Client> m_client;
};

// Where a consumer's pixel (x, y) comes from in a test window, for one transform.
using SourceOf = std::function<QPoint(int x, int y)>;

// Every pixel of the picture against the window's pattern; the first difference in words.
inline QString comparePicture(const OutputReceiver::Picture &picture, const XTestWindow &window,
                              int width, int height, const SourceOf &sourceOf)
{
    if (picture.width != width || picture.height != height)
        return QStringLiteral("size %1 x %2, expected %3 x %4")
            .arg(picture.width)
            .arg(picture.height)
            .arg(width)
            .arg(height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QPoint from = sourceOf(x, y);
            const uint32_t expected = window.patternPixel(from.x(), from.y());
            if (picture.at(x, y) != expected)
                return QStringLiteral("pixel (%1, %2) is %3, expected %4 from (%5, %6)")
                    .arg(x)
                    .arg(y)
                    .arg(picture.at(x, y), 8, 16, QLatin1Char('0'))
                    .arg(expected, 8, 16, QLatin1Char('0'))
                    .arg(from.x())
                    .arg(from.y());
        }
    }
    return {};
}
