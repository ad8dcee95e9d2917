// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/MetalShared.h"
#include "engine/OutputTransform.h"
#include "platform/foundation/Bundle.h"
#include "platform/gpu/GpuErrors.h"
#include "support/GpuTestFrames.h"
#include "support/LogCapture.h"

#include <QTest>
#include <atomic>
#include <cstring>
#include <thread>

using GpuTestFrames::Frame;

namespace {

const QString notReadyLine =
    QStringLiteral("MetalShared not ready. Call CaptureManager.ensureMetalReady() before capture.");

// One transform and where each output pixel must come from: source column ax * x + bx and source
// row ay * y + by for the output pixel (x, y) (a factor 0 pins the column or row).
struct ContractCase
{
    const char *name;
    int inW, inH;
    std::array<float, 4> row0, row1;
    int outW, outH;
    int ax, bx, ay, by;
};

OutputTransform::Result rowsFor(bool rotation180, bool flip, int64_t top, int64_t left,
                                int64_t right, int64_t bottom, int64_t inW, int64_t inH)
{
    return OutputTransform::uvRows({rotation180, flip, top, left, right, bottom}, inW, inH);
}

std::vector<ContractCase> contractCases()
{
    const std::array<float, 4> identity0{1, 0, 0, 0}, identity1{0, 1, 0, 0};
    const auto r180 = rowsFor(true, false, 0, 0, 0, 0, 64, 40);
    // The window defaults of the worked example: 180 degrees and mirror, crops T 100, L 200, B 50.
    const auto example1 = rowsFor(true, true, 100, 200, 0, 50, 1920, 1080);
    // Crops that must shrink: T 30, L 80, R 40, B 30 on 100 x 50.
    const auto example2 = rowsFor(false, false, 30, 80, 40, 30, 100, 50);
    const auto flipCrop = rowsFor(false, true, 0, 10, 0, 0, 1280, 720);
    return {
        {"identity, 1920 x 1080", 1920, 1080, identity0, identity1, 1920, 1080, 1, 0, 1, 0},
        {"identity, 37 x 23", 37, 23, identity0, identity1, 37, 23, 1, 0, 1, 0},
        {"mirror left to right", 64, 40, {-1, 0, 1, 0}, identity1, 64, 40, -1, 63, 1, 0},
        {"180 degrees", 64, 40, r180.row0, r180.row1, int(r180.outW), int(r180.outH), -1, 63, -1,
         39},
        {"worked example 1 (window defaults)", 1920, 1080, example1.row0, example1.row1,
         int(example1.outW), int(example1.outH), 1, 200, -1, 1029},
        {"worked example 2 (shrunk crop)", 100, 50, example2.row0, example2.row1,
         int(example2.outW), int(example2.outH), 1, 61, 1, 21},
        {"mirror with left crop", 1280, 720, flipCrop.row0, flipCrop.row1, int(flipCrop.outW),
         int(flipCrop.outH), -1, 1269, 1, 0},
        {"beyond the right edge", 30, 20, {0, 0, 1.7f, 0}, identity1, 30, 20, 0, 29, 1, 0},
        {"beyond the left edge", 30, 20, {0, 0, -0.6f, 0}, identity1, 30, 20, 0, 0, 1, 0},
        {"beyond the last row", 30, 20, identity0, {0, 0, 2.0f, 0}, 30, 20, 1, 0, 0, 19},
        {"beyond the first row", 30, 20, identity0, {0, 0, -1.0f, 0}, 30, 20, 1, 0, 0, 0},
    };
}

// Runs one transform of source into a new output of outW x outH and reads it back.
Frame transform(const MetalShared &shared, const Frame &source, int outW, int outH,
                const std::array<float, 4> &row0, const std::array<float, 4> &row1,
                std::shared_ptr<GpuTexture> output = nullptr)
{
    auto metal = shared.getMetal();
    if (!metal)
        return {};
    auto sourceTexture = metal->textureCache->textureFromPixelBuffer(source.pixelBuffer());
    if (!sourceTexture)
        return {};
    if (!output)
        output = metal->device->makeTexture({outW, outH, GpuPixelFormat::bgra8Unorm});
    Frame result(outW, outH);
    auto commandBuffer = metal->commandQueue->makeCommandBuffer();
    if (!GpuTestFrames::encodeTransform(*commandBuffer, shared.transformPipeline(), *sourceTexture,
                                        output, row0, row1) ||
        !commandBuffer->encodeReadBack(output, result.bytes.data(), result.bytesPerRow,
                                       GpuRowOrder::firstRowFirst))
        return {};
    commandBuffer->commit();
    commandBuffer->waitUntilCompleted();
    if (commandBuffer->status() != GpuCommandBufferStatus::completed)
        return {};
    return result;
}

// Empty when every output pixel equals its source pixel, else where the first one differs.
QString firstMismatch(const Frame &source, const Frame &output, const ContractCase &c)
{
    for (int y = 0; y < output.height; ++y) {
        for (int x = 0; x < output.width; ++x) {
            const int sx = c.ax * x + c.bx, sy = c.ay * y + c.by;
            const uint8_t *expected = source.pixel(sx, sy);
            const uint8_t *actual = output.pixel(x, y);
            if (std::memcmp(expected, actual, 4) != 0)
                return QStringLiteral(
                           "output (%1, %2) = %3 %4 %5 %6, source (%7, %8) = %9 %10 %11 %12")
                    .arg(x)
                    .arg(y)
                    .arg(actual[0])
                    .arg(actual[1])
                    .arg(actual[2])
                    .arg(actual[3])
                    .arg(sx)
                    .arg(sy)
                    .arg(expected[0])
                    .arg(expected[1])
                    .arg(expected[2])
                    .arg(expected[3]);
        }
    }
    return {};
}

// A real device whose queue, cache or sampler creation can be made to fail: the real device cannot
// be asked to fail them on demand.
class FailingDevice : public GpuDevice
{
public:
    explicit FailingDevice(std::shared_ptr<GpuDevice> real) : m_real(std::move(real)) {}

    std::atomic<bool> failQueue = false, failCache = false, failSampler = false;

    QString name() const override { return m_real->name(); }
    int maxTextureSize() const override { return m_real->maxTextureSize(); }
    std::shared_ptr<GpuCommandQueue> makeCommandQueue() override
    {
        return failQueue ? nullptr : m_real->makeCommandQueue();
    }
    std::shared_ptr<GpuTexture> makeTexture(const GpuTextureDescriptor &descriptor) override
    {
        return m_real->makeTexture(descriptor);
    }
    Expected<std::shared_ptr<GpuLibrary>> makeLibrary(const QString &source) override
    {
        return m_real->makeLibrary(source);
    }
    Expected<std::shared_ptr<GpuRenderPipelineState>>
    makeRenderPipelineState(const GpuRenderPipelineDescriptor &descriptor) override
    {
        return m_real->makeRenderPipelineState(descriptor);
    }
    std::shared_ptr<GpuSamplerState>
    makeSamplerState(const GpuSamplerDescriptor &descriptor) override
    {
        return failSampler ? nullptr : m_real->makeSamplerState(descriptor);
    }
    std::shared_ptr<GpuTextureCache> makeTextureCache() override
    {
        return failCache ? nullptr : m_real->makeTextureCache();
    }

private:
    std::shared_ptr<GpuDevice> m_real;
};

} // namespace

class TestMetalShared : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<GpuDevice> m_device;
    std::unique_ptr<MetalShared> m_shared;

private Q_SLOTS:
    void initTestCase()
    {
        m_device = GpuDevice::createSystemDefault();
        QVERIFY2(m_device, "no EGL display gives an OpenGL ES 3 context");
        m_shared = std::make_unique<MetalShared>([this] { return m_device; });
        const auto ready = m_shared->ensureReady();
        QVERIFY2(ready, qPrintable(ready ? QString() : ready.error().localizedDescription));
    }

    void transformContract_data()
    {
        QTest::addColumn<int>("index");
        const auto cases = contractCases();
        for (size_t i = 0; i < cases.size(); ++i)
            QTest::newRow(cases[i].name) << int(i);
    }

    void transformContract()
    {
        QFETCH(int, index);
        const ContractCase c = contractCases()[size_t(index)];
        // Padded rows on the odd size, as capture hands over.
        const int64_t stride = c.inW == 37 ? 37 * 4 + 24 : 0;
        const Frame source = GpuTestFrames::pattern(c.inW, c.inH, index, stride);
        const Frame output = transform(*m_shared, source, c.outW, c.outH, c.row0, c.row1);
        QVERIFY(!output.bytes.empty());
        const QString mismatch = firstMismatch(source, output, c);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }

    void theWorkedExamplesHaveTheirSizes()
    {
        const auto cases = contractCases();
        QCOMPARE(QSize(cases[4].outW, cases[4].outH), QSize(1720, 930));
        QCOMPARE(QSize(cases[5].outW, cases[5].outH), QSize(9, 8));
    }

    void samplingHalfwayBlendsNeighbours_data()
    {
        QTest::addColumn<bool>("horizontal");
        QTest::newRow("between two columns") << true;
        QTest::newRow("between two rows") << false;
    }

    void samplingHalfwayBlendsNeighbours()
    {
        QFETCH(bool, horizontal);
        // Four pixels in a line; the middle two differ strongly in every channel.
        Frame source(horizontal ? 4 : 1, horizontal ? 1 : 4);
        const uint8_t values[4][4] = {
            {9, 9, 9, 9}, {10, 200, 30, 250}, {190, 20, 230, 50}, {7, 7, 7, 7}};
        for (int i = 0; i < 4; ++i)
            std::memcpy(source.pixel(horizontal ? i : 0, horizontal ? 0 : i), values[i], 4);
        // 0.5 lies halfway between the centres of pixels 1 and 2.
        const std::array<float, 4> row0{0, 0, 0.5f, 0}, row1{0, 0, 0.5f, 0};
        const Frame output = transform(*m_shared, source, 8, 8, row0, row1);
        QVERIFY(!output.bytes.empty());
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                for (int channel = 0; channel < 4; ++channel) {
                    const int expected = (values[1][channel] + values[2][channel]) / 2;
                    QVERIFY2(std::abs(output.pixel(x, y)[channel] - expected) <= 1,
                             qPrintable(QStringLiteral("(%1, %2) channel %3: %4, expected %5")
                                            .arg(x)
                                            .arg(y)
                                            .arg(channel)
                                            .arg(output.pixel(x, y)[channel])
                                            .arg(expected)));
                }
            }
        }
    }

    void ensureReadyTwiceMakesEachObjectOnce()
    {
        int provided = 0;
        MetalShared shared([&] {
            ++provided;
            return GpuDevice::createSystemDefault();
        });
        QVERIFY(shared.ensureReady());
        const auto first = shared.getMetal();
        const auto firstPipeline = shared.transformPipeline();
        QVERIFY(first && firstPipeline.pipelineState && firstPipeline.samplerState);

        QVERIFY(shared.ensureReady());
        const auto second = shared.getMetal();
        const auto secondPipeline = shared.transformPipeline();
        QCOMPARE(provided, 1);
        QVERIFY(second);
        QCOMPARE(second->device, first->device);
        QCOMPARE(second->commandQueue, first->commandQueue);
        QCOMPARE(second->textureCache, first->textureCache);
        QCOMPARE(secondPipeline.pipelineState, firstPipeline.pipelineState);
        QCOMPARE(secondPipeline.samplerState, firstPipeline.samplerState);
    }

    void getMetalBeforeEnsureReadyLogsEveryCall()
    {
        LogCapture log;
        MetalShared shared;
        QVERIFY(!shared.getMetal());
        QVERIFY(!shared.getMetal());
        const auto entries = log.entries(QStringLiteral("MetalShared"));
        QCOMPARE(entries.size(), 2);
        for (const LogEntry &entry : entries) {
            QCOMPARE(entry.level, LogLevel::error);
            QCOMPARE(entry.message, notReadyLine);
            QCOMPARE(entry.subsystem, Bundle::loggingSubsystem());
        }
        QVERIFY(!shared.transformPipeline().pipelineState);
    }

    void noDeviceFailsWithTheMetalError()
    {
        int provided = 0;
        MetalShared shared([&]() -> std::shared_ptr<GpuDevice> {
            ++provided;
            return nullptr;
        });
        for (int attempt = 1; attempt <= 2; ++attempt) {
            const auto ready = shared.ensureReady();
            QVERIFY(!ready);
            QCOMPARE(ready.error(), (Error{QStringLiteral("Metal"), -1,
                                           QStringLiteral("Metal device unavailable")}));
            QCOMPARE(provided, attempt); // each call starts again at the device
        }
        LogCapture log;
        QVERIFY(!shared.getMetal());
        QCOMPARE(log.entries(QStringLiteral("MetalShared")).size(), 1);
        QVERIFY(!shared.transformPipeline().pipelineState);
        QVERIFY(!shared.transformPipeline().samplerState);
    }

    void aShaderThatDoesNotCompileKeepsDeviceQueueAndCache()
    {
        int provided = 0;
        MetalShared shared(
            [&] {
                ++provided;
                return m_device;
            },
            QStringLiteral("#ifdef KINOLITH_FRAGMENT_STAGE\nvoid f_main() { this is not a shader; "
                           "}\n#endif\n"));
        const auto ready = shared.ensureReady();
        QVERIFY(!ready);
        QCOMPARE(ready.error().domain, GpuErrors::libraryDomain);
        QCOMPARE(ready.error().code, int(GpuErrors::compileFailure));
        QVERIFY(!ready.error().localizedDescription.isEmpty());

        const auto metal = shared.getMetal();
        QVERIFY(metal && metal->commandQueue && metal->textureCache);
        QCOMPARE(metal->device, m_device);
        QVERIFY(!shared.transformPipeline().pipelineState);

        QVERIFY(!shared.ensureReady());
        QCOMPARE(provided, 1);
        const auto again = shared.getMetal();
        QVERIFY(again);
        QCOMPARE(again->commandQueue, metal->commandQueue);
        QCOMPARE(again->textureCache, metal->textureCache);
    }

    void aMissingQueueOrCacheIsReportedByGetMetal_data()
    {
        QTest::addColumn<bool>("failQueue");
        QTest::addColumn<bool>("failCache");
        QTest::newRow("no queue") << true << false;
        QTest::newRow("no cache") << false << true;
    }

    void aMissingQueueOrCacheIsReportedByGetMetal()
    {
        QFETCH(bool, failQueue);
        QFETCH(bool, failCache);
        auto device = std::make_shared<FailingDevice>(m_device);
        device->failQueue = failQueue;
        device->failCache = failCache;
        MetalShared shared([device] { return device; });
        QVERIFY(shared.ensureReady());
        QVERIFY(shared.transformPipeline().pipelineState);
        LogCapture log;
        QVERIFY(!shared.getMetal());
        QCOMPARE(log.entries(QStringLiteral("MetalShared")).value(0).message, notReadyLine);

        // The next call fills what is missing.
        device->failQueue = device->failCache = false;
        QVERIFY(shared.ensureReady());
        QVERIFY(shared.getMetal());
    }

    void aMissingSamplerIsRebuiltWithThePipeline()
    {
        auto device = std::make_shared<FailingDevice>(m_device);
        device->failSampler = true;
        MetalShared shared([device] { return device; });
        QVERIFY(shared.ensureReady());
        const auto withoutSampler = shared.transformPipeline();
        QVERIFY(withoutSampler.pipelineState && !withoutSampler.samplerState);

        device->failSampler = false;
        QVERIFY(shared.ensureReady());
        const auto rebuilt = shared.transformPipeline();
        QVERIFY(rebuilt.pipelineState && rebuilt.samplerState);
        QVERIFY(rebuilt.pipelineState != withoutSampler.pipelineState);
    }

    void severalThreadsTransformAtOnce()
    {
        // Each thread plays one session: its own source size and transform, its own output texture
        // reused across frames, the shared queue, cache and pipeline.
        const auto cases = contractCases();
        const std::vector<size_t> picks = {1, 2, 3, 5, 6};
        constexpr int framesPerThread = 6;
        std::atomic<int> failures = 0;
        std::vector<QString> messages(picks.size());
        std::vector<std::thread> threads;
        for (size_t t = 0; t < picks.size(); ++t) {
            threads.emplace_back([&, t] {
                const ContractCase &c = cases[picks[t]];
                auto metal = m_shared->getMetal();
                auto output =
                    metal->device->makeTexture({c.outW, c.outH, GpuPixelFormat::bgra8Unorm});
                for (int frame = 0; frame < framesPerThread; ++frame) {
                    const Frame source = GpuTestFrames::pattern(c.inW, c.inH, frame * 7 + int(t));
                    const Frame result =
                        transform(*m_shared, source, c.outW, c.outH, c.row0, c.row1, output);
                    const QString mismatch = result.bytes.empty()
                                                 ? QStringLiteral("no output")
                                                 : firstMismatch(source, result, c);
                    if (!mismatch.isEmpty()) {
                        ++failures;
                        messages[t] =
                            QStringLiteral("%1, frame %2: %3").arg(c.name).arg(frame).arg(mismatch);
                        return;
                    }
                }
            });
        }
        for (auto &thread : threads)
            thread.join();
        QVERIFY2(failures == 0,
                 qPrintable(QStringList(messages.begin(), messages.end()).join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(TestMetalShared)
#include "tst_metalshared.moc"
