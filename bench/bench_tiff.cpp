// Decoding a 6000 x 4000 LZW-compressed RGB TIFF scan and writing it as a BMP file, as
// `curvana-cli decode` does, against libtiff's own tiffcp writing it uncompressed
// (`tiffcp -c none`, when it is installed) in the same run.
//
// The picture comes from CURVANA_BENCH_TIFF when that names a file; otherwise ImageMagick's
// convert makes it in the temporary folder from the JPEG test photo, enlarged.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/BmpWriter.h"
#include "platform/TiffReader.h"

namespace {

using namespace curvana;

const std::string kTemp = "/tmp/curvana-bench-" + std::to_string(::getpid());

std::string MakePicture() {
    if (const char* given = std::getenv("CURVANA_BENCH_TIFF")) return given;
    static const std::string path = [] {
        const std::string file = kTemp + ".tif";
        const std::string command = "convert '" CURVANA_BENCH_DATA
                                    "/jpeg/testorig-baseline-420.jpg' -resize "
                                    "'6000x4000!' -type TrueColor -depth 8 -compress lzw '" +
                                    file + "' 2>/dev/null";
        if (std::system(command.c_str()) != 0) return std::string();
        std::atexit([] { std::remove((kTemp + ".tif").c_str()); });
        return file;
    }();
    return path;
}

// Each run writes its output anew, as the command-line tool does into a new file.
template <typename Write>
void Timed(benchmark::State& state, const std::string& out, Write write) {
    for (auto _ : state) {
        state.PauseTiming();
        std::remove(out.c_str());
        state.ResumeTiming();
        write();
    }
    std::remove(out.c_str());
}

void BM_ReadTiffWriteBmp(benchmark::State& state) {
    const std::string path = MakePicture();
    if (path.empty()) {
        state.SkipWithError("no picture: set CURVANA_BENCH_TIFF or install imagemagick");
        return;
    }
    const std::string out = kTemp + "-out.bmp";
    Timed(state, out, [&] { WriteBmpFile(ReadTiffFile(path), out); });
}
BENCHMARK(BM_ReadTiffWriteBmp)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TiffcpNone(benchmark::State& state) {
    const std::string path = MakePicture();
    if (path.empty() || std::system("command -v tiffcp >/dev/null 2>&1") != 0) {
        state.SkipWithError("tiffcp or the picture is missing");
        return;
    }
    const std::string out = kTemp + "-out.tif";
    const std::string command = "tiffcp -c none '" + path + "' '" + out + "'";
    Timed(state, out, [&] {
        if (std::system(command.c_str()) != 0) state.SkipWithError("tiffcp failed");
    });
}
BENCHMARK(BM_TiffcpNone)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
