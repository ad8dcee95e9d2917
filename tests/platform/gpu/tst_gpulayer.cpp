// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gpu/GpuDevice.h"
#include "platform/gpu/GpuErrors.h"
#include "platform/gpu/gles/GlesDevice.h"
#include "platform/gpu/gles/GlesWorker.h"
#include "support/GpuTestFrames.h"

#include <QImage>
#include <QTest>
#include <cstring>
#include <future>
#include <mutex>
#include <numeric>
#include <thread>

using GpuTestFrames::Frame;

Q_DECLARE_METATYPE(GpuRowOrder)

class TestGpuLayer : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<GpuDevice> m_device;
    std::shared_ptr<GpuCommandQueue> m_queue;
    std::shared_ptr<GpuTextureCache> m_cache;

    std::shared_ptr<GpuTexture> upload(const Frame &frame)
    {
        auto texture = m_cache->textureFromPixelBuffer(frame.pixelBuffer());
        return texture ? *texture : nullptr;
    }

    // Reads the texture back into a frame of the given row length, in the given order.
    Frame readBack(const std::shared_ptr<GpuTexture> &texture, GpuRowOrder order,
                   int64_t bytesPerRow = 0)
    {
        Frame frame(texture->width(), texture->height(), bytesPerRow);
        auto commandBuffer = m_queue->makeCommandBuffer();
        if (!commandBuffer->encodeReadBack(texture, frame.bytes.data(), frame.bytesPerRow, order))
            return {};
        commandBuffer->commit();
        commandBuffer->waitUntilCompleted();
        if (commandBuffer->status() != GpuCommandBufferStatus::completed)
            return {};
        return frame;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_device = GpuDevice::createSystemDefault();
        QVERIFY2(m_device, "no EGL display gives an OpenGL ES 3 context");
        qInfo("GPU device: %s", qPrintable(m_device->name()));
        m_queue = m_device->makeCommandQueue();
        m_cache = m_device->makeTextureCache();
        QVERIFY(m_queue && m_cache);
    }

    void uploadAndReadBackKeepBytesAndRowOrder_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("sourceStride");
        QTest::addColumn<int>("destinationStride");
        QTest::addColumn<GpuRowOrder>("order");
        QTest::addColumn<bool>("reverseExtension");

        for (bool extension : {true, false}) {
            const char *path = extension ? "extension" : "row by row";
            QTest::addRow("first row first, padded rows, %s", path)
                << 37 << 23 << 37 * 4 + 12 << 37 * 4 + 20 << GpuRowOrder::firstRowFirst
                << extension;
            QTest::addRow("last row first, padded rows, %s", path)
                << 37 << 23 << 37 * 4 + 12 << 37 * 4 + 20 << GpuRowOrder::lastRowFirst << extension;
            QTest::addRow("last row first, 1 x 1, %s", path)
                << 1 << 1 << 4 << 4 << GpuRowOrder::lastRowFirst << extension;
            QTest::addRow("last row first, 640 x 3, %s", path)
                << 640 << 3 << 640 * 4 << 640 * 4 << GpuRowOrder::lastRowFirst << extension;
        }
    }

    void uploadAndReadBackKeepBytesAndRowOrder()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, sourceStride);
        QFETCH(int, destinationStride);
        QFETCH(GpuRowOrder, order);
        QFETCH(bool, reverseExtension);

        auto &worker = static_cast<GlesDevice &>(*m_device).worker();
        worker.setPackReverseRowOrderAllowed(reverseExtension);
        const Frame source = GpuTestFrames::pattern(width, height, 1, sourceStride);
        auto texture = upload(source);
        QVERIFY(texture);
        QCOMPARE(texture->width(), width);
        QCOMPARE(texture->height(), height);
        const Frame result = readBack(texture, order, destinationStride);
        worker.setPackReverseRowOrderAllowed(true);
        QVERIFY(!result.bytes.empty());

        for (int y = 0; y < height; ++y) {
            const int sourceRow = order == GpuRowOrder::firstRowFirst ? y : height - 1 - y;
            QVERIFY2(
                std::memcmp(result.pixel(0, y), source.pixel(0, sourceRow), size_t(width) * 4) == 0,
                qPrintable(QStringLiteral("row %1").arg(y)));
            // The padding at the end of each destination row is left alone.
            for (int64_t i = int64_t(width) * 4; i < destinationStride; ++i)
                QCOMPARE(result.bytes[size_t(y * destinationStride + i)], uint8_t(0xEE));
        }
    }

    void replaceContentsCopiesBeforeReturning()
    {
        Frame source = GpuTestFrames::pattern(64, 48, 2);
        const Frame original = source;
        auto texture = m_device->makeTexture({64, 48, GpuPixelFormat::bgra8Unorm});
        QVERIFY(texture);
        QVERIFY(texture->replaceContents(source.bytes.data(), source.bytesPerRow));
        std::fill(source.bytes.begin(), source.bytes.end(),
                  uint8_t(0)); // the caller reuses its memory
        QCOMPARE(readBack(texture, GpuRowOrder::firstRowFirst).bytes, original.bytes);

        QVERIFY(!texture->replaceContents(nullptr, 64 * 4));
        QVERIFY(!texture->replaceContents(source.bytes.data(), 63 * 4));
        QVERIFY(!texture->replaceContents(source.bytes.data(), 64 * 4 + 2));
    }

    void anOwnerKeepsThePixelBufferUntilItIsTaken()
    {
        auto frame = std::make_shared<Frame>(GpuTestFrames::pattern(50, 20, 9));
        const Frame expected = *frame;
        const std::weak_ptr<Frame> watch = frame;
        GpuPixelBuffer buffer = frame->pixelBuffer();
        buffer.keepAlive = std::move(frame); // the caller keeps nothing
        auto texture = m_cache->textureFromPixelBuffer(std::move(buffer));
        QVERIFY(texture);
        QCOMPARE(readBack(*texture, GpuRowOrder::firstRowFirst).bytes, expected.bytes);
        QVERIFY(watch.expired()); // let go once the pixels were taken
    }

    void textureCacheReusesReleasedTexturesOfTheSameSize()
    {
        m_cache->flush();
        const Frame first = GpuTestFrames::pattern(40, 30, 3);
        const Frame second = GpuTestFrames::pattern(40, 30, 4);
        const Frame other = GpuTestFrames::pattern(30, 40, 5);

        auto texture = upload(first);
        QVERIFY(texture);
        const GpuTexture *firstObject = texture.get();
        // Held textures are never handed out twice.
        auto concurrent = upload(second);
        QVERIFY(concurrent && concurrent.get() != firstObject);
        const GpuTexture *secondObject = concurrent.get();
        QCOMPARE(readBack(concurrent, GpuRowOrder::firstRowFirst).bytes, second.bytes);
        concurrent.reset();
        texture.reset();

        texture = upload(other);
        QVERIFY(texture.get() != firstObject && texture.get() != secondObject);
        QCOMPARE(readBack(texture, GpuRowOrder::firstRowFirst).bytes, other.bytes);
        texture.reset();

        texture = upload(first);
        QVERIFY(texture.get() == firstObject || texture.get() == secondObject);
        // The reused texture carries the new frame, not the one it held before.
        QCOMPARE(readBack(texture, GpuRowOrder::firstRowFirst).bytes, first.bytes);
    }

    void badInputIsRefused()
    {
        const Frame frame = GpuTestFrames::pattern(16, 16);
        struct Case
        {
            const char *name;
            GpuPixelBuffer buffer;
        };
        const Case cases[] = {
            {"no memory", {nullptr, 16, 16, 64, {}}},
            {"no width", {frame.bytes.data(), 0, 16, 64, {}}},
            {"negative height", {frame.bytes.data(), 16, -1, 64, {}}},
            {"short rows", {frame.bytes.data(), 16, 16, 60, {}}},
            {"rows not whole pixels", {frame.bytes.data(), 16, 15, 66, {}}},
            {"rows too long to address", {frame.bytes.data(), 16, 1, int64_t(1) << 40, {}}},
            {"wider than the device allows",
             {frame.bytes.data(),
              m_device->maxTextureSize() + 1,
              1,
              int64_t(m_device->maxTextureSize() + 1) * 4,
              {}}},
        };
        for (const Case &c : cases) {
            auto texture = m_cache->textureFromPixelBuffer(c.buffer);
            QVERIFY2(!texture, c.name);
            QCOMPARE(texture.error().domain, GpuErrors::textureDomain);
            QCOMPARE(texture.error().code, int(GpuErrors::invalidArgument));
        }
        QVERIFY(!m_device->makeTexture({0, 10, GpuPixelFormat::bgra8Unorm}));
        QVERIFY(!m_device->makeTexture(
            {10, m_device->maxTextureSize() + 1, GpuPixelFormat::bgra8Unorm}));

        auto texture = m_device->makeTexture({16, 16, GpuPixelFormat::bgra8Unorm});
        Frame destination(16, 16);
        auto commandBuffer = m_queue->makeCommandBuffer();
        QVERIFY(!commandBuffer->encodeReadBack(texture, destination.bytes.data(), 60,
                                               GpuRowOrder::firstRowFirst));
        QVERIFY(!commandBuffer->encodeReadBack(nullptr, destination.bytes.data(), 64,
                                               GpuRowOrder::firstRowFirst));
        QVERIFY(!commandBuffer->makeRenderCommandEncoder({}));
        commandBuffer->commit();
        commandBuffer->waitUntilCompleted();
        QCOMPARE(commandBuffer->status(), GpuCommandBufferStatus::completed);
    }

    void librariesReportCompilerErrors()
    {
        auto broken = m_device->makeLibrary(QStringLiteral(
            "#ifdef KINOLITH_FRAGMENT_STAGE\nvoid f_main() { undeclared = 1.0; }\n#endif\n"));
        QVERIFY(!broken);
        QCOMPARE(broken.error().domain, GpuErrors::libraryDomain);
        QCOMPARE(broken.error().code, int(GpuErrors::compileFailure));
        QVERIFY2(broken.error().localizedDescription.contains(QLatin1String("undeclared")),
                 qPrintable(broken.error().localizedDescription));

        auto library = m_device->makeLibrary(QStringLiteral("void other() {}\n"));
        QVERIFY(library);
        GpuRenderPipelineDescriptor descriptor;
        descriptor.library = *library;
        descriptor.vertexFunction = QStringLiteral("v_main");
        descriptor.fragmentFunction = QStringLiteral("other");
        auto pipeline = m_device->makeRenderPipelineState(descriptor);
        QVERIFY(!pipeline);
        QCOMPARE(pipeline.error().domain, GpuErrors::libraryDomain);
        QCOMPARE(pipeline.error().code, int(GpuErrors::functionNotFound));
    }

    void commandBuffersCompleteInCommitOrderAcrossThreads()
    {
        constexpr int threads = 4;
        constexpr int buffersPerThread = 25;
        std::mutex commitMutex;
        int nextTicket = 0;
        std::mutex orderMutex;
        std::vector<int> completionOrder;
        std::vector<std::shared_ptr<GpuCommandBuffer>> all(threads * buffersPerThread);
        auto texture = m_device->makeTexture({8, 8, GpuPixelFormat::bgra8Unorm});
        // Read-back targets outlive every command buffer that writes them.
        std::vector<std::vector<uint8_t>> scratch(threads, std::vector<uint8_t>(8 * 8 * 4));

        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t) {
            workers.emplace_back([&, t] {
                for (int i = 0; i < buffersPerThread; ++i) {
                    auto commandBuffer = m_queue->makeCommandBuffer();
                    commandBuffer->encodeReadBack(texture, scratch[size_t(t)].data(), 32,
                                                  GpuRowOrder::firstRowFirst);
                    std::lock_guard guard(commitMutex);
                    const int ticket = nextTicket++;
                    commandBuffer->addCompletedHandler([&, ticket](GpuCommandBuffer &) {
                        std::lock_guard guard(orderMutex);
                        completionOrder.push_back(ticket);
                    });
                    all[size_t(ticket)] = commandBuffer;
                    commandBuffer->commit();
                }
            });
        }
        for (auto &worker : workers)
            worker.join();
        for (auto &commandBuffer : all) {
            commandBuffer->waitUntilCompleted();
            QCOMPARE(commandBuffer->status(), GpuCommandBufferStatus::completed);
        }

        std::vector<int> expected(all.size());
        std::iota(expected.begin(), expected.end(), 0);
        QCOMPARE(completionOrder, expected);
    }

    void waitingAndHandlers()
    {
        auto commandBuffer = m_queue->makeCommandBuffer();
        QCOMPARE(commandBuffer->status(), GpuCommandBufferStatus::notEnqueued);
        commandBuffer->waitUntilCompleted(); // not committed: returns at once
        QStringList calls;
        commandBuffer->addCompletedHandler([&](GpuCommandBuffer &) { calls << "first"; });
        commandBuffer->addCompletedHandler([&](GpuCommandBuffer &) { calls << "second"; });
        commandBuffer->commit();
        commandBuffer->commit(); // a second commit changes nothing
        commandBuffer->waitUntilCompleted();
        QCOMPARE(calls, QStringList({"first", "second"}));
        QCOMPARE(commandBuffer->status(), GpuCommandBufferStatus::completed);
        QVERIFY(!commandBuffer->error());
    }

    void previewImageShowsTheFirstRowAtTheBottom()
    {
        const Frame source = GpuTestFrames::pattern(20, 12, 6);
        auto texture = upload(source);
        QImage image;
        const uchar *bits = nullptr;
        for (int round = 0; round < 2; ++round) {
            auto commandBuffer = m_queue->makeCommandBuffer();
            QVERIFY(commandBuffer->encodeReadBack(texture, image));
            commandBuffer->commit();
            commandBuffer->waitUntilCompleted();
            QCOMPARE(image.size(), QSize(20, 12));
            QCOMPARE(image.format(), QImage::Format_ARGB32);
            for (int y = 0; y < 12; ++y)
                QVERIFY(std::memcmp(image.constScanLine(y), source.pixel(0, 11 - y), 20 * 4) == 0);
            const uint8_t *bottomLeft = source.pixel(0, 0);
            QCOMPARE(image.pixel(0, 11),
                     qRgba(bottomLeft[2], bottomLeft[1], bottomLeft[0], bottomLeft[3]));
            if (round == 0)
                bits = image.constBits();
            else
                QCOMPARE(image.constBits(), bits); // the image is reused, not made again
        }
    }

    void theLastReferenceMayGoOnTheDevicesOwnThread()
    {
        // The command buffer is the last holder of the device's worker, and its task ends on the
        // worker: the worker then ends without joining its own thread.
        auto device = GpuDevice::createSystemDefault();
        QVERIFY(device);
        auto queue = device->makeCommandQueue();
        auto texture = device->makeTexture({8, 8, GpuPixelFormat::bgra8Unorm});
        auto scratch = std::make_shared<std::vector<uint8_t>>(8 * 8 * 4);
        std::promise<GpuCommandBufferStatus> done;
        auto commandBuffer = queue->makeCommandBuffer();
        commandBuffer->encodeReadBack(texture, scratch->data(), 32, GpuRowOrder::firstRowFirst);
        commandBuffer->addCompletedHandler(
            [&done, scratch](GpuCommandBuffer &finished) { done.set_value(finished.status()); });
        auto future = done.get_future();
        commandBuffer->commit();
        commandBuffer.reset();
        texture.reset();
        queue.reset();
        device.reset();
        QCOMPARE(future.get(), GpuCommandBufferStatus::completed);
        // Let the worker finish its task and end; a self-join would abort the test here.
        QTest::qWait(100);
    }
};

QTEST_GUILESS_MAIN(TestGpuLayer)
#include "tst_gpulayer.moc"
