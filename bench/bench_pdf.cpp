// Rendering page 1 of a chart PDF at 300 dpi and writing it as a BMP file, against poppler's own
// pdftoppm rendering the same page to a PPM file (when pdftoppm is installed), in the same run.
// pdftoppm starts afresh each time, finding its fonts anew; so does this program's second
// benchmark, which runs the program itself as `bench_pdf --decode PDF OUT.bmp` the way curvana-cli
// decodes a page. The first one renders again and again in one process.
//
// Both write over their previous output. This program then waits for the disk before its file takes
// the name (saving a file over one with something in it does), while pdftoppm truncates its file and
// leaves the new content to the system's write-back. The "ToANewFile" pair removes the output before
// each run, outside the timing, so that neither waits for the disk: the decoding alone.
//
// The PDF comes from CURVANA_BENCH_PDF when that names a file; otherwise bench/make-chart-pdf.sh
// makes a US Letter page with the test chart enlarged on it, in the temporary folder.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/BmpWriter.h"
#include "platform/PdfReader.h"

namespace {

using namespace curvana;

const std::string kTemp = "/tmp/curvana-bench-pdf-" + std::to_string(::getpid());

std::string ChartPdf() {
    if (const char* given = std::getenv("CURVANA_BENCH_PDF")) return given;
    static const std::string path = [] {
        const std::string file = kTemp + ".pdf";
        const std::string command =
            "'" CURVANA_BENCH_SOURCE "/make-chart-pdf.sh' '" + file + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) return std::string();
        std::atexit([] { std::remove((kTemp + ".pdf").c_str()); });
        return file;
    }();
    return path;
}

void BM_ReadPdfFileAndWriteBmp(benchmark::State& state) {
    const std::string path = ChartPdf();
    if (path.empty()) {
        state.SkipWithError("no PDF: set CURVANA_BENCH_PDF or install ghostscript");
        return;
    }
    const std::string out = kTemp + ".bmp";
    for (auto _ : state)
        WriteBmpFile(ReadPdfFile(path, 1, 300), out);
    std::remove(out.c_str());
}
BENCHMARK(BM_ReadPdfFileAndWriteBmp)->Unit(benchmark::kMillisecond)->UseRealTime();

std::string gSelf;  // this program's path

// Runs `command` once an iteration; with `fresh`, `out` is removed before each run, untimed.
void RunCommand(benchmark::State& state, const std::string& command, const std::string& out, bool fresh,
                const char* failure) {
    for (auto _ : state) {
        if (fresh) {
            state.PauseTiming();
            std::remove(out.c_str());
            state.ResumeTiming();
        }
        if (std::system(command.c_str()) != 0) state.SkipWithError(failure);
    }
    std::remove(out.c_str());
}

void DecodeInANewProcess(benchmark::State& state, bool fresh) {
    const std::string path = ChartPdf();
    if (path.empty()) {
        state.SkipWithError("no PDF: set CURVANA_BENCH_PDF or install ghostscript");
        return;
    }
    const std::string out = kTemp + "-process.bmp";
    RunCommand(state, "'" + gSelf + "' --decode '" + path + "' '" + out + "'", out, fresh,
               "the decoding process failed");
}

void BM_ReadPdfFileAndWriteBmpInANewProcess(benchmark::State& state) {
    DecodeInANewProcess(state, false);
}
BENCHMARK(BM_ReadPdfFileAndWriteBmpInANewProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

void RunPdftoppm(benchmark::State& state, bool fresh) {
    const std::string path = ChartPdf();
    if (path.empty() || std::system("command -v pdftoppm >/dev/null 2>&1") != 0) {
        state.SkipWithError("pdftoppm or the PDF is missing");
        return;
    }
    RunCommand(state, "pdftoppm -r 300 -f 1 -l 1 -singlefile '" + path + "' '" + kTemp + "'", kTemp + ".ppm",
               fresh, "pdftoppm failed");
}

void BM_Pdftoppm(benchmark::State& state) {
    RunPdftoppm(state, false);
}
BENCHMARK(BM_Pdftoppm)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadPdfFileAndWriteBmpInANewProcessToANewFile(benchmark::State& state) {
    DecodeInANewProcess(state, true);
}
BENCHMARK(BM_ReadPdfFileAndWriteBmpInANewProcessToANewFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PdftoppmToANewFile(benchmark::State& state) {
    RunPdftoppm(state, true);
}
BENCHMARK(BM_PdftoppmToANewFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--decode") {
        curvana::WriteBmpFile(curvana::ReadPdfFile(argv[2], 1, 300), argv[3]);
        return 0;
    }
    gSelf = argv[0];
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
