// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/foundation/MainThread.h"
#include "platform/screencapture/ScreenCaptureService.h"

#include <QTest>
#include <optional>

// Waits for the service's asynchronous answers while the main thread's event loop runs, and
// notes whether each completion ran on the main thread.
struct CaptureAwait
{
    static std::optional<Expected<ScreenCapture::ShareableContent>>
    content(ScreenCapture::ScreenCaptureService &service,
            ScreenCapture::ShareableContent::Options options = {}, bool *onMainThread = nullptr)
    {
        std::optional<Expected<ScreenCapture::ShareableContent>> result;
        service.getShareableContent(options, [&](Expected<ScreenCapture::ShareableContent> answer) {
            if (onMainThread)
                *onMainThread = MainThread::isCurrent();
            result.emplace(std::move(answer));
        });
        (void)QTest::qWaitFor([&] { return result.has_value(); }, 10000);
        return result;
    }

    // Runs start or stop and waits for its completion: nullopt when it never came, else the
    // completion's optional error.
    template <typename Call>
    static std::optional<std::optional<Error>> completion(Call call, bool *onMainThread = nullptr)
    {
        std::optional<std::optional<Error>> result;
        call([&](std::optional<Error> error) {
            if (onMainThread)
                *onMainThread = MainThread::isCurrent();
            result.emplace(std::move(error));
        });
        (void)QTest::qWaitFor([&] { return result.has_value(); }, 10000);
        return result;
    }

    static std::optional<std::optional<Error>> start(ScreenCapture::Stream &stream)
    {
        return completion(
            [&](ScreenCapture::Stream::Completion done) { stream.startCapture(done); });
    }
    static std::optional<std::optional<Error>> stop(ScreenCapture::Stream &stream)
    {
        return completion(
            [&](ScreenCapture::Stream::Completion done) { stream.stopCapture(done); });
    }
};
