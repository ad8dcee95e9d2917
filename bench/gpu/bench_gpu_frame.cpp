// SPDX-License-Identifier: GPL-3.0-or-later
// One frame's trip through the GPU layer, as the frame path makes it: the captured CPU frame
// becomes a texture through the texture cache, the transform pass draws it into a reused output
// texture (window defaults: 180 degrees and mirror), and the output is read back bottom row first
// into memory the caller owns, as the frame-sharing server does. Each figure is printed next to a
// memcpy of a frame of the same size measured in the same run, with their ratio.
//
// Run: build/<type>/bench/gpu/bench_gpu_frame [--benchmark_min_time=2]
#include "engine/MetalShared.h"
#include "engine/OutputTransform.h"
#include "support/GpuTestFrames.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

using GpuTestFrames::Frame;

MetalShared &shared()
{
    static MetalShared instance;
    static const bool ready = [] {
        const auto result = instance.ensureReady();
        if (!result)
            std::fprintf(stderr, "GPU not ready: %s\n",
                         qPrintable(result.error().localizedDescription));
        return bool(result);
    }();
    (void)ready;
    return instance;
}

void BM_Memcpy(benchmark::State &state)
{
    const Frame source = GpuTestFrames::pattern(int(state.range(0)), int(state.range(1)));
    Frame destination(source.width, source.height);
    for (auto _ : state) {
        std::memcpy(destination.bytes.data(), source.bytes.data(), source.bytes.size());
        benchmark::DoNotOptimize(destination.bytes.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(source.bytes.size()));
}

enum class Work { frame, uploadOnly, readBackOnly };

void runGpu(benchmark::State &state, Work work)
{
    auto metal = shared().getMetal();
    if (!metal) {
        state.SkipWithError("no GPU device");
        return;
    }
    const int width = int(state.range(0)), height = int(state.range(1));
    const Frame source = GpuTestFrames::pattern(width, height);
    const auto rows = OutputTransform::uvRows({true, true, 0, 0, 0, 0}, width, height);
    auto output =
        metal->device->makeTexture({int(rows.outW), int(rows.outH), GpuPixelFormat::bgra8Unorm});
    Frame published(int(rows.outW), int(rows.outH));

    for (auto _ : state) {
        auto commandBuffer = metal->commandQueue->makeCommandBuffer();
        std::shared_ptr<GpuTexture> sourceTexture;
        if (work != Work::readBackOnly) {
            auto wrapped = metal->textureCache->textureFromPixelBuffer(source.pixelBuffer());
            if (!wrapped) {
                state.SkipWithError("texture cache refused the frame");
                return;
            }
            sourceTexture = *wrapped;
        }
        if (work == Work::frame)
            GpuTestFrames::encodeTransform(*commandBuffer, shared().transformPipeline(),
                                           sourceTexture, output, rows.row0, rows.row1);
        if (work != Work::uploadOnly)
            commandBuffer->encodeReadBack(output, published.bytes.data(), published.bytesPerRow,
                                          GpuRowOrder::lastRowFirst);
        commandBuffer->commit();
        commandBuffer->waitUntilCompleted();
        benchmark::DoNotOptimize(published.bytes.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(source.bytes.size()));
}

void BM_GpuFrame(benchmark::State &state)
{
    runGpu(state, Work::frame);
}
void BM_GpuUploadOnly(benchmark::State &state)
{
    runGpu(state, Work::uploadOnly);
}
void BM_GpuReadBackOnly(benchmark::State &state)
{
    runGpu(state, Work::readBackOnly);
}

void sizes(benchmark::internal::Benchmark *benchmark)
{
    benchmark->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_Memcpy)->Apply(sizes);
BENCHMARK(BM_GpuFrame)->Apply(sizes);
BENCHMARK(BM_GpuUploadOnly)->Apply(sizes);
BENCHMARK(BM_GpuReadBackOnly)->Apply(sizes);

// The console report, then each GPU figure next to the memcpy of the same size and their ratio.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration)
                continue;
            const std::string name = run.benchmark_name();
            const auto slash = name.find('/');
            const std::string what = name.substr(0, slash);
            const std::string size = slash == std::string::npos ? "" : name.substr(slash + 1);
            const double milliseconds = run.GetAdjustedRealTime();
            if (what == "BM_Memcpy")
                m_memcpy[size] = milliseconds;
            else
                m_gpu.push_back({what, size, milliseconds});
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-20s %-22s %12s %12s %8s\n", "benchmark", "size", "figure ms", "memcpy ms",
                    "ratio");
        for (const auto &[what, size, milliseconds] : m_gpu) {
            const auto reference = m_memcpy.find(size);
            if (reference == m_memcpy.end())
                continue;
            std::printf("%-20s %-22s %12.3f %12.3f %7.1fx\n", what.c_str(), size.c_str(),
                        milliseconds, reference->second, milliseconds / reference->second);
        }
    }

private:
    struct Figure
    {
        std::string what, size;
        double milliseconds;
    };
    std::map<std::string, double> m_memcpy;
    std::vector<Figure> m_gpu;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
