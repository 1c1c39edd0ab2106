// Decoding a 6000 x 4000 RGB PNG of a chart (zlib level 6, libpng's default filters) held in memory,
// against libpng's simplified reading of the same bytes into RGB (png_image_finish_read) in the same
// run. libpng is the yardstick only; the program reads PNG through libspng.

#include <benchmark/benchmark.h>

#include <png.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/PngReader.h"

namespace {

using namespace curvana;

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

// Paper with shading and a little grain, grid lines and a plotted curve, written by libpng.
const std::vector<std::uint8_t>& Picture() {
    static const std::vector<std::uint8_t> file = [] {
        const int width = 6000, height = 4000;
        std::vector<std::uint8_t> out;
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_set_write_fn(png, &out, Append, nullptr);
        png_set_compression_level(png, 6);
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        std::vector<std::uint8_t> row(std::size_t(width) * 3);
        unsigned seed = 1;
        for (int y = 0; y < height; ++y) {
            const int base = 224 + int(10 * std::sin(y / 500.0));
            for (auto& v : row) {
                seed = seed * 1103515245u + 12345u;
                v = std::uint8_t(base + int(seed >> 30));
            }
            for (int x = 0; x < width; x += 300)
                row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = 60;
            if (y % 200 == 0) std::fill(row.begin(), row.end(), 60);
            const int curve = int(2000 + 1500 * std::sin(y / 600.0));
            for (int x = curve; x < curve + 4; ++x) {
                row[x * 3] = 192;
                row[x * 3 + 1] = 32;
                row[x * 3 + 2] = 32;
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, info);
        png_destroy_write_struct(&png, &info);
        return out;
    }();
    return file;
}

void BM_DecodePng(benchmark::State& state) {
    const std::vector<std::uint8_t>& file = Picture();
    for (auto _ : state) {
        Bitmap picture = DecodePng(file);
        benchmark::DoNotOptimize(picture.Row(0));
    }
    state.counters["file_MB"] = double(file.size()) / 1e6;
}
BENCHMARK(BM_DecodePng)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LibpngSimplifiedRgb(benchmark::State& state) {
    const std::vector<std::uint8_t>& file = Picture();
    for (auto _ : state) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) {
            state.SkipWithError(image.message);
            return;
        }
        image.format = PNG_FORMAT_RGB;
        auto pixels = std::make_unique_for_overwrite<std::uint8_t[]>(PNG_IMAGE_SIZE(image));
        if (!png_image_finish_read(&image, nullptr, pixels.get(), 0, nullptr)) {
            state.SkipWithError(image.message);
            return;
        }
        benchmark::DoNotOptimize(pixels.get());
    }
}
BENCHMARK(BM_LibpngSimplifiedRgb)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
