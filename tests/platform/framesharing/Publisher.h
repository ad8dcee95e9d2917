// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/framesharing/Server.h"
#include "support/TestPicture.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

// Publishes a picture on a server at a steady rate from a thread of its own, as the frame path
// would. The picture can be swapped while it runs.
class Publisher
{
public:
    Publisher(std::shared_ptr<framesharing::Server> server, int width, int height, int fps = 60)
        : m_server(std::move(server)), m_picture(std::make_shared<TestPicture>(width, height)),
          m_interval(std::chrono::microseconds(1000000 / fps))
    {
        m_thread = std::thread([this] { run(); });
    }
    ~Publisher()
    {
        m_stop = true;
        m_thread.join();
    }

    void setPicture(std::shared_ptr<TestPicture> picture)
    {
        std::lock_guard lock(m_mutex);
        m_picture = std::move(picture);
    }
    int published() const { return m_published.load(); }
    int attempts() const { return m_attempts.load(); }

private:
    void run()
    {
        auto next = std::chrono::steady_clock::now();
        while (!m_stop) {
            std::shared_ptr<TestPicture> picture;
            {
                std::lock_guard lock(m_mutex);
                picture = m_picture;
            }
            ++m_attempts;
            if (m_server->publish(picture->asTexture()))
                ++m_published;
            next += m_interval;
            std::this_thread::sleep_until(next);
        }
    }

    std::shared_ptr<framesharing::Server> m_server;
    std::mutex m_mutex;
    std::shared_ptr<TestPicture> m_picture; // guarded by m_mutex
    std::chrono::microseconds m_interval;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_published{0};
    std::atomic<int> m_attempts{0};
    std::thread m_thread;
};
