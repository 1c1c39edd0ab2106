#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "document/Listing.h"

namespace {

using namespace curvana;

constexpr int kLines = 10000;

std::vector<TDataPoint> Points() {
    std::vector<TDataPoint> points;
    points.reserve(kLines);
    for (int i = 0; i < kLines; ++i)
        points.push_back({i * 0.37 + 0.013, 1000.0 / (i + 1) - 3.5});
    return points;
}

std::vector<std::string> Lines(const std::vector<TDataPoint>& points) {
    std::vector<std::string> lines;
    lines.reserve(points.size());
    for (const auto& p : points)
        lines.push_back(ListingLine(p));
    return lines;
}

// A marker was moved: the new listing differs from the shown one in one line in the middle.
void BM_MergeListingOneLineChanged(benchmark::State& state) {
    std::vector<std::string> previous = Lines(Points());
    std::vector<std::string> current = previous;
    current[kLines / 2] = "moved , marker";
    for (auto _ : state) {
        state.PauseTiming();
        VectorLineSink memo(previous);
        state.ResumeTiming();
        MergeListing(memo, current, LineReplace);
        benchmark::DoNotOptimize(memo.lines.data());
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_MergeListingOneLineChanged)->Unit(benchmark::kMicrosecond);

void BM_ListingLines(benchmark::State& state) {
    std::vector<TDataPoint> points = Points();
    for (auto _ : state) {
        std::vector<std::string> lines = Lines(points);
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_ListingLines)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
