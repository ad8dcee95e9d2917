// SPDX-License-Identifier: GPL-3.0-or-later
// Frame sharing over PipeWire, measured against a memcpy of the same frame in the same run:
// - publish cost of a 1920 × 1080 BGRA frame (buffer fill with rows reversed + queue + graph
//   trigger; the GPU read-back is the GPU layer's and not part of this figure),
// - latency from publish to a consumer's receipt (our client, same process, same clock),
// - the share of frames a consumer receives when the source publishes at 60 fps (our client,
//   and GStreamer's pipewiresrc ! fakesink).
// Needs a PipeWire daemon: run it under scripts/services.sh (see docs/ARCHITECTURE.md).
#include "../support/Statistics.h"
#include "platform/foundation/HostClock.h"
#include "platform/framesharing/Client.h"
#include "platform/framesharing/DescriptionKeys.h"
#include "platform/framesharing/Server.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryFile>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

using namespace framesharing;

namespace {

constexpr int width = 1920;
constexpr int height = 1080;
constexpr int stride = width * 4;
constexpr std::size_t frameBytes = std::size_t(stride) * height;

// A memcpy of the frame into one of `targets` buffers in turn (1: the same, warm buffer).
double memcpyCost(const std::vector<std::uint8_t> &source, int targets)
{
    std::vector<std::vector<std::uint8_t>> target{std::size_t(targets),
                                                  std::vector<std::uint8_t>(frameBytes)};
    std::vector<double> samples;
    unsigned checksum = 0;
    for (int i = 0; i < 200; ++i) {
        auto &into = target[std::size_t(i % targets)];
        const double start = hostTime();
        std::memcpy(into.data(), source.data(), frameBytes);
        samples.push_back(hostTime() - start);
        checksum += into[std::size_t(i) * 97 % frameBytes]; // keeps the copy
    }
    std::fprintf(stderr, "(checksum %u)\n", checksum);
    return median(samples);
}

// Publishes `frames` frames at 60 fps, frame number n written into the first pixel of texture row
// 0, timing each publish. Returns the publish times by frame number (0 where dropped).
struct Steps
{
    std::vector<double> begin, fill, submit;
};

std::vector<double> publishAt60(Server &server, std::vector<std::uint8_t> &texture, int frames,
                                std::vector<double> &publishCost, int &published,
                                Steps *steps = nullptr)
{
    std::vector<double> publishTimes(std::size_t(frames) + 1, 0.0);
    const FrameView view{texture.data(), width, height, stride};
    auto next = std::chrono::steady_clock::now();
    published = 0;
    for (int n = 1; n <= frames; ++n) {
        std::memcpy(texture.data(), &n, sizeof n);
        const double start = hostTime();
        bool sent = false;
        if (!steps) {
            sent = server.publish(view);
        } else if (ServerFrame frame = server.beginFrame(width, height)) {
            const double begun = hostTime();
            for (int row = 0; row < height; ++row)
                std::memcpy(frame.textureRow(row), view.row(row), std::size_t(stride));
            const double filled = hostTime();
            sent = server.submitFrame(std::move(frame));
            steps->begin.push_back(begun - start);
            steps->fill.push_back(filled - begun);
            steps->submit.push_back(hostTime() - filled);
        }
        const double end = hostTime();
        if (sent) {
            publishCost.push_back(end - start);
            publishTimes[std::size_t(n)] = start;
            ++published;
        }
        next += std::chrono::microseconds(16667);
        std::this_thread::sleep_until(next);
    }
    return publishTimes;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    auto server = Server::create(QStringLiteral("Benchmark"));
    if (!server) {
        std::fprintf(stderr, "No PipeWire daemon answers.\n");
        return 1;
    }
    while (server->description().value(keys::uuid).toString().isEmpty())
        QThread::msleep(10);

    std::vector<std::uint8_t> texture(frameBytes);
    for (std::size_t i = 0; i < frameBytes; ++i)
        texture[i] = std::uint8_t(i * 31 + i / stride);
    const double copy = memcpyCost(texture, 1);
    const double coldCopy = memcpyCost(texture, 8);

    // Our client as the consumer: it records when each frame number arrives.
    std::mutex mutex;
    std::vector<std::pair<int, double>> receipts; // guarded by mutex
    auto client = Client::create(server->description(), [&](Client &self) {
        const auto frame = self.newestFrame();
        if (!frame || frame->width != width)
            return;
        int n = 0;
        std::memcpy(&n, frame->pixels.data(), sizeof n);
        std::lock_guard lock(mutex);
        receipts.emplace_back(n, frame->receivedTime);
    });
    if (!client->isValid()) {
        std::fprintf(stderr, "The client did not connect.\n");
        return 1;
    }
    // Let the format settle before measuring.
    std::vector<double> warmupCost;
    int warmupPublished = 0;
    publishAt60(*server, texture, 60, warmupCost, warmupPublished);
    {
        std::lock_guard lock(mutex);
        receipts.clear();
    }

    const int frames = 600; // 10 s at 60 fps
    std::vector<double> publishCost;
    int published = 0;
    const std::vector<double> publishTimes =
        publishAt60(*server, texture, frames, publishCost, published);
    QThread::msleep(200);
    std::vector<double> latencies;
    std::vector<int> seen;
    {
        std::lock_guard lock(mutex);
        for (const auto &[n, received] : receipts) {
            if (n >= 1 && n <= frames && publishTimes[std::size_t(n)] > 0) {
                latencies.push_back(received - publishTimes[std::size_t(n)]);
                seen.push_back(n);
            }
        }
    }
    std::sort(seen.begin(), seen.end());
    seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
    client.reset();

    // GStreamer's pipewiresrc as the consumer, counting the buffers it gets.
    QProcess gst;
    QTemporaryFile log;
    log.open();
    gst.setStandardOutputFile(log.fileName());
    gst.start(QStringLiteral("gst-launch-1.0"),
              QStringList{QStringLiteral("-v"), QStringLiteral("pipewiresrc"),
                          QStringLiteral("target-object=") +
                              server->description().value(keys::uuid).toString(),
                          QStringLiteral("!"), QStringLiteral("video/x-raw,format=BGRA"),
                          QStringLiteral("!"), QStringLiteral("fakesink"),
                          QStringLiteral("silent=false")});
    gst.waitForStarted(5000);
    publishAt60(*server, texture, 120, warmupCost, warmupPublished); // until it is linked
    const auto countReceived = [&log] {
        QFile in(log.fileName());
        in.open(QIODevice::ReadOnly);
        return int(in.readAll().count("last-message = chain"));
    };
    const int gstBefore = countReceived();
    std::vector<double> gstCost;
    int gstPublished = 0;
    Steps steps;
    publishAt60(*server, texture, frames, gstCost, gstPublished, &steps);
    QThread::msleep(200);
    const int gstReceived = countReceived() - gstBefore;
    gst.terminate();
    gst.waitForFinished(3000);

    const double publish = median(publishCost);
    std::printf("Frame sharing over PipeWire, 1920 x 1080 BGRA (%.1f MB a frame)\n",
                double(frameBytes) / 1e6);
    std::printf("  memcpy of the frame (reference)        %8.3f ms\n", copy * 1e3);
    std::printf("  memcpy into 8 buffers in turn          %8.3f ms  = %.2f x memcpy\n",
                coldCopy * 1e3, coldCopy / copy);
    std::printf(
        "  publish (fill rows reversed + queue)   %8.3f ms  = %.2f x memcpy  (p95 %.3f ms)\n",
        publish * 1e3, publish / copy, percentile(publishCost, 0.95) * 1e3);
    std::printf("  publish, pipewiresrc consuming         %8.3f ms  = %.2f x memcpy\n",
                median(gstCost) * 1e3, median(gstCost) / copy);
    std::printf("    of which beginFrame %.3f ms, fill %.3f ms, submit %.3f ms\n",
                median(steps.begin) * 1e3, median(steps.fill) * 1e3, median(steps.submit) * 1e3);
    std::printf("  latency publish -> our client          %8.3f ms median, %.3f ms p95 "
                "(%.1f x memcpy)\n",
                median(latencies) * 1e3, percentile(latencies, 0.95) * 1e3,
                median(latencies) / copy);
    std::printf("  at 60 fps, our client received         %5zu of %d published (%.1f %%), %d "
                "attempted\n",
                seen.size(), published, 100.0 * double(seen.size()) / std::max(1, published),
                frames);
    std::printf("  at 60 fps, pipewiresrc received        %5d of %d published (%.1f %%)\n",
                gstReceived, gstPublished, 100.0 * gstReceived / std::max(1, gstPublished));
    return 0;
}
