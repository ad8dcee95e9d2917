// SPDX-License-Identifier: GPL-3.0-or-later
#include "XcbScreenCaptureService.h"

#include "XcbConnection.h"
#include "XcbContentQuery.h"
#include "XcbStream.h"
#include "platform/foundation/MainThread.h"
#include "platform/foundation/SerialQueue.h"
#include "platform/screencapture/ScreenCaptureError.h"

namespace ScreenCapture {

std::shared_ptr<ScreenCaptureService> makeScreenCaptureService()
{
    return std::make_shared<XcbScreenCaptureService>();
}

XcbScreenCaptureService::XcbScreenCaptureService()
    : m_queries(std::make_unique<SerialQueue>(QStringLiteral("Kinolith.ScreenCapture.Content"),
                                              SerialQueue::Priority::normal))
{}

XcbScreenCaptureService::~XcbScreenCaptureService() = default;

void XcbScreenCaptureService::getShareableContent(ShareableContent::Options options,
                                                  ContentCompletion completion)
{
    m_queries->async([options, completion = std::move(completion)] {
        auto connection = XcbConnection::open();
        if (!connection) {
            Error error = connection.error();
            MainThread::post([completion, error] { completion(error); });
            return;
        }
        ShareableContent content = XcbContentQuery::read(**connection, options);
        if ((*connection)->hasError()) {
            Error error = makeError(ErrorCode::connectionLost,
                                    QStringLiteral("The connection to the X server was lost."));
            MainThread::post([completion, error] { completion(error); });
            return;
        }
        MainThread::post([completion, content = std::move(content)] { completion(content); });
    });
}

std::shared_ptr<Stream>
XcbScreenCaptureService::makeStream(const ContentFilter &filter,
                                    const StreamConfiguration &configuration)
{
    return std::make_shared<XcbStream>(filter, configuration);
}

} // namespace ScreenCapture
