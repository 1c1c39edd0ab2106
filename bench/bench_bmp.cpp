// Reading and writing a 6000 x 4000 24-bit BMP file, against copying the same bytes from file to
// file. Reading and writing should each take at most 1.5 times as long as the copy.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/BmpReader.h"
#include "platform/BmpWriter.h"

namespace {

using namespace curvana;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

std::filesystem::path g_folder;

std::string SourcePath() {
    return (g_folder / "source.bmp").string();
}
std::string TargetPath() {
    return (g_folder / "target.bmp").string();
}

void MakeSourceFile() {
    Bitmap picture(kWidth, kHeight, PixelFormat::Rgb24());
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* row = picture.Row(y);
        for (int x = 0; x < kWidth; ++x) {
            row[3 * x] = std::uint8_t(x);
            row[3 * x + 1] = std::uint8_t(y);
            row[3 * x + 2] = std::uint8_t((x * 7) ^ (y * 3));
        }
    }
    WriteBmpFile(picture, SourcePath());
}

void BM_ReadBmpFile(benchmark::State& state) {
    for (auto _ : state) {
        Bitmap picture = ReadBmpFile(SourcePath());
        benchmark::DoNotOptimize(picture.Row(0));
    }
}

void BM_WriteBmpFile(benchmark::State& state) {
    const Bitmap picture = ReadBmpFile(SourcePath());
    for (auto _ : state)
        WriteBmpFile(picture, TargetPath());
}

// The anchor: the whole file read into memory and written out again.
void BM_CopyFile(benchmark::State& state) {
    const std::size_t size = std::filesystem::file_size(SourcePath());
    for (auto _ : state) {
        auto buffer = std::make_unique_for_overwrite<char[]>(size);
        const int in = ::open(SourcePath().c_str(), O_RDONLY);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::read(in, buffer.get() + done, size - done);
            if (n <= 0) throw std::runtime_error("reading the source failed");
            done += std::size_t(n);
        }
        ::close(in);
        const int out = ::open(TargetPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        for (std::size_t written = 0; written < size;) {
            const ssize_t n = ::write(out, buffer.get() + written, size - written);
            if (n <= 0) throw std::runtime_error("writing the target failed");
            written += std::size_t(n);
        }
        ::close(out);
    }
}

BENCHMARK(BM_ReadBmpFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteBmpFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    g_folder = std::filesystem::temp_directory_path() / ("curvana-bench-bmp-" + std::to_string(::getpid()));
    std::filesystem::create_directories(g_folder);
    MakeSourceFile();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(g_folder);
    return 0;
}
