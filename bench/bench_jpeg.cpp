// Decoding a 6000 x 4000 JPEG photo of a chart, the size of a phone camera's picture, against
// libjpeg-turbo's own djpeg writing a BMP file (when djpeg is installed).
//
// The picture comes from CURVANA_BENCH_JPEG when that names a file; otherwise, in a build with
// the Qt program, it is made with Qt's JPEG writer (quality 90) in the temporary folder.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/JpegReader.h"

#ifdef CURVANA_BENCH_QT
#include <QImage>
#endif

namespace {

using namespace curvana;

std::string MakePicture() {
    if (const char* given = std::getenv("CURVANA_BENCH_JPEG")) return given;
#ifdef CURVANA_BENCH_QT
    static const std::string path = [] {
        // Paper with shading and grain, grid lines and a plotted curve.
        const int width = 6000, height = 4000;
        QImage image(width, height, QImage::Format_RGB888);
        unsigned seed = 1;
        for (int y = 0; y < height; ++y) {
            uchar* row = image.scanLine(y);
            const int base = 224 + int(10 * std::sin(y / 500.0));
            for (int i = 0; i < width * 3; ++i) {
                seed = seed * 1103515245u + 12345u;
                row[i] = uchar(base + int(seed >> 28));
            }
            for (int x = 0; x < width; x += 300)
                row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = 60;
            if (y % 200 == 0)
                for (int i = 0; i < width * 3; ++i)
                    row[i] = 60;
            const int curve = int(2000 + 1500 * std::sin(y / 600.0));
            for (int x = curve; x < curve + 4; ++x) {
                row[x * 3] = 32;
                row[x * 3 + 1] = 32;
                row[x * 3 + 2] = 192;
            }
        }
        std::string file = "/tmp/curvana-bench-" + std::to_string(::getpid()) + ".jpg";
        if (!image.save(QString::fromStdString(file), "JPEG", 90)) return std::string();
        std::atexit(
            [] { std::remove(("/tmp/curvana-bench-" + std::to_string(::getpid()) + ".jpg").c_str()); });
        return file;
    }();
    return path;
#else
    return std::string();
#endif
}

void BM_ReadJpegFile(benchmark::State& state) {
    const std::string path = MakePicture();
    if (path.empty()) {
        state.SkipWithError("no picture: set CURVANA_BENCH_JPEG");
        return;
    }
    for (auto _ : state) {
        Bitmap picture = ReadJpegFile(path);
        benchmark::DoNotOptimize(picture.Row(0));
    }
}
BENCHMARK(BM_ReadJpegFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DjpegBmp(benchmark::State& state) {
    const std::string path = MakePicture();
    if (path.empty() || std::system("command -v djpeg >/dev/null 2>&1") != 0) {
        state.SkipWithError("djpeg or the picture is missing");
        return;
    }
    const std::string command = "djpeg -bmp -outfile /dev/null '" + path + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("djpeg failed");
}
BENCHMARK(BM_DjpegBmp)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
