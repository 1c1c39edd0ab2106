// Tracing on a 4000 x 3000 chart: one curve across the whole box, and 500 symbols.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "trace/Trace.h"

namespace {

using namespace curvana;

constexpr int kWidth = 4000, kHeight = 3000;

// A white chart with light grid lines every 250 pixels and the box at its frame.
Bitmap Chart() {
    Bitmap b(kWidth, kHeight, PixelFormat::Rgb24());
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* row = b.Row(y);
        for (int x = 0; x < kWidth; ++x) {
            const std::uint8_t v = (x % 250 == 0 || y % 250 == 0) ? 210 : 255;
            row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = v;
        }
    }
    return b;
}

const TraceBox kBox = {TPoint{100, 2900}, TPoint{3900, 2900}, TPoint{100, 100}, TPoint{3900, 100}};

double Wave(double x) {
    return 1500 + 900 * std::sin(x / 500.0);
}

void BM_TraceCurve(benchmark::State& state) {
    Bitmap chart = Chart();
    // A blue curve three pixels wide from one side of the box to the other.
    for (int x = 100; x <= 3900; ++x)
        for (int dy = -1; dy <= 1; ++dy)
            chart.SetPixelValue(x, int(std::lround(Wave(x))) + dy, 0x1E3CC8);
    for (int x = 100; x < 3900; ++x) {  // and the steep parts joined up
        const int a = int(std::lround(Wave(x))), b = int(std::lround(Wave(x + 1)));
        for (int y = std::min(a, b); y <= std::max(a, b); ++y)
            for (int dx = -1; dx <= 1; ++dx)
                chart.SetPixelValue(x + dx, y, 0x1E3CC8);
    }
    const TPoint click{2000, int(std::lround(Wave(2000)))};
    std::size_t markers = 0;
    for (auto _ : state) {
        const auto found = TraceCurve(chart, kBox, click, {});
        markers = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["markers"] = double(markers);
}
BENCHMARK(BM_TraceCurve)->Unit(benchmark::kMillisecond);

// Every pixel a little off its colour, as in a scan or a JPEG: no two neighbours alike.
void AddNoise(Bitmap& b) {
    std::uint32_t seed = 12345;
    for (int y = 0; y < b.Height(); ++y) {
        std::uint8_t* row = b.Row(y);
        for (int i = 0; i < 3 * b.Width(); ++i) {
            seed = seed * 1664525u + 1013904223u;
            const int v = row[i] + int(seed >> 29) - 4;
            row[i] = std::uint8_t(std::clamp(v, 0, 255));
        }
    }
}

void BM_TraceSymbols(benchmark::State& state) {
    Bitmap chart = Chart();
    // 500 red discs of radius 6 on a 25 x 20 lattice.
    for (int i = 0; i < 25; ++i)
        for (int j = 0; j < 20; ++j) {
            const int cx = 250 + i * 145, cy = 220 + j * 135;
            for (int y = cy - 6; y <= cy + 6; ++y)
                for (int x = cx - 6; x <= cx + 6; ++x)
                    if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= 36) chart.SetPixelValue(x, y, 0xC81E1E);
        }
    if (state.range(0)) AddNoise(chart);
    std::size_t markers = 0;
    for (auto _ : state) {
        const auto found = TraceSymbols(chart, kBox, {250, 220}, {});
        markers = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["markers"] = double(markers);
}
BENCHMARK(BM_TraceSymbols)->Arg(0)->Arg(1)->ArgNames({"noisy"})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
