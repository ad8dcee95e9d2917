// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/screencapture/ScreenCaptureService.h"

#include <memory>

class SerialQueue;

namespace ScreenCapture {

// The screen-capture service over X11 (xcb). Content queries run one at a time on a queue of the
// service's own, each over a fresh connection, so a server that went away and came back is
// found again.
class XcbScreenCaptureService final : public ScreenCaptureService
{
public:
    XcbScreenCaptureService();
    // Waits for a content query under way; its completion still runs.
    ~XcbScreenCaptureService() override;

    void getShareableContent(ShareableContent::Options options,
                             ContentCompletion completion) override;
    std::shared_ptr<Stream> makeStream(const ContentFilter &filter,
                                       const StreamConfiguration &configuration) override;

private:
    std::unique_ptr<SerialQueue> m_queries; // content queries, off the main thread
};

} // namespace ScreenCapture
