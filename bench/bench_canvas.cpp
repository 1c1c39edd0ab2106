// Drawing a scanned plot into a document window's raster: the zoomed picture, and a plain copy.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "platform/RasterCanvas.h"

namespace {

using curvana::Bitmap;
using curvana::PixelFormat;
using curvana::RasterCanvas;
using curvana::TRect;

// A 6000 x 4000 24-bit scan (24 megapixels, as from an A4 page at 600 dpi).
const Bitmap& Scan() {
    static const Bitmap scan = [] {
        Bitmap b(6000, 4000, PixelFormat::Rgb24());
        for (int y = 0; y < b.Height(); ++y) {
            std::uint8_t* row = b.Row(y);
            for (std::size_t i = 0; i < std::size_t(b.Width()) * 3; ++i)
                row[i] = std::uint8_t(i * 7 + y * 3);
        }
        return b;
    }();
    return scan;
}

// Zoom 1.4 (8400 x 5600) seen through a full-HD window scrolled to the middle of the picture.
void BM_StretchDrawZoomedIntoWindow(benchmark::State& state) {
    const Bitmap& scan = Scan();
    Bitmap raster(1920, 1080, PixelFormat::Raster32());
    RasterCanvas canvas(raster);
    const TRect dest{-3000, -2000, -3000 + 8400, -2000 + 5600};
    for (auto _ : state) {
        canvas.StretchDraw(dest, scan);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 1920 * 1080);
}
BENCHMARK(BM_StretchDrawZoomedIntoWindow)->Unit(benchmark::kMillisecond);

// Zoom 1.4 drawn whole into a raster of the zoomed size.
void BM_StretchDrawZoomedWhole(benchmark::State& state) {
    const Bitmap& scan = Scan();
    Bitmap raster(8400, 5600, PixelFormat::Raster32());
    RasterCanvas canvas(raster);
    for (auto _ : state) {
        canvas.StretchDraw({0, 0, 8400, 5600}, scan);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 8400 * 5600);
}
BENCHMARK(BM_StretchDrawZoomedWhole)->Unit(benchmark::kMillisecond);

// A window-sized part of the scan at zoom 1.
void BM_CopyRectWindow(benchmark::State& state) {
    const Bitmap& scan = Scan();
    Bitmap raster(1920, 1080, PixelFormat::Raster32());
    RasterCanvas canvas(raster);
    for (auto _ : state) {
        canvas.CopyRect({0, 0, 1920, 1080}, scan, {2000, 1500, 2000 + 1920, 1500 + 1080});
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 1920 * 1080);
}
BENCHMARK(BM_CopyRectWindow)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
