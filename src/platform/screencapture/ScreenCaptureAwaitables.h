// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CompletionAwaiter.h"
#include "ScreenCaptureService.h"

// The service's asynchronous calls as awaitables, for coroutines on the main thread:
//   auto content = co_await ScreenCapture::shareableContent(service, {});
//   if (auto error = co_await ScreenCapture::startCapture(stream)) ...
// Each holds the service or stream until it answers.
namespace ScreenCapture {

inline CompletionAwaiter<Expected<ShareableContent>>
shareableContent(std::shared_ptr<ScreenCaptureService> service, ShareableContent::Options options)
{
    return CompletionAwaiter<Expected<ShareableContent>>(
        [service = std::move(service), options](auto completion) {
            service->getShareableContent(options, std::move(completion));
        });
}

inline CompletionAwaiter<std::optional<Error>> startCapture(std::shared_ptr<Stream> stream)
{
    return CompletionAwaiter<std::optional<Error>>([stream = std::move(stream)](auto completion) {
        stream->startCapture(std::move(completion));
    });
}

inline CompletionAwaiter<std::optional<Error>> stopCapture(std::shared_ptr<Stream> stream)
{
    return CompletionAwaiter<std::optional<Error>>([stream = std::move(stream)](auto completion) {
        stream->stopCapture(std::move(completion));
    });
}

} // namespace ScreenCapture
