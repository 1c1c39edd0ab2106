// The document's interactive paths: refreshing the listing after one marker moved, one step of a
// marker drag against a full repaint, and a zoom step with its paint against building the whole
// zoomed bitmap.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "document/PlotDocument.h"
#include "platform/NumberText.h"
#include "platform/RasterCanvas.h"
#include "support/ZoomReference.h"

#ifdef CURVANA_BENCH_QT
#include <QImage>
#endif

namespace {

using namespace curvana;

// A scan-like picture with a pattern in every byte.
Bitmap Scan(int width, int height) {
    Bitmap b(width, height, PixelFormat::Rgb24());
    for (int y = 0; y < b.Height(); ++y) {
        std::uint8_t* row = b.Row(y);
        for (std::size_t i = 0; i < std::size_t(b.Width()) * 3; ++i)
            row[i] = std::uint8_t(i * 7 + y * 3);
    }
    return b;
}

// A calibrated document on a width x height picture with `series` series of `perSeries` markers.
std::unique_ptr<PlotDocument> Document(int width, int height, int series, int perSeries, LineSink* memo) {
    auto doc = std::make_unique<PlotDocument>();
    doc->Picture = Scan(width, height);
    doc->PlaceNewPicture();
    doc->XMax = 100;
    doc->YMax = 50;
    for (int s = 0; s < series; ++s) {
        const int y = height / 10 + s * (height * 8 / 10) / series;
        doc->AddSeries({width / 10, y}, {width / 10 + 10, y + 5});
        TMarkerLine& line = *doc->DataSeries.back();
        for (int i = 2; i < perSeries; ++i)
            line.InsertMarker({width / 10 + i * (width * 8 / 10) / perSeries, y + (i % 7) * 3}, -1,
                              line.Count() - 1);
    }
    doc->RebuildMarkerList();  // every series' markers were appended in order
    doc->MarkOpened();
    doc->Memo = memo;
    doc->UpDateMemo(0);
    return doc;
}

void BM_ListingAfterOneMarkerMoved(benchmark::State& state) {
    VectorLineSink memo;
    auto doc = Document(4000, 3000, 10, 1000, &memo);  // 10,000 markers
    TMarker& moved = doc->DataSeries[5]->Marker(500);
    int step = 0;
    for (auto _ : state) {
        moved.X += (step++ % 2) ? 1 : -1;
        doc->UpDateMemo(1);
    }
    state.counters["lines"] = double(memo.lines.size());
}
BENCHMARK(BM_ListingAfterOneMarkerMoved)->Unit(benchmark::kMicrosecond);

// One drag step and one full repaint of the same document (4000 x 3000, 1,000 markers in 10 series)
// onto a raster of the whole client area.
struct DragFixture {
    std::unique_ptr<PlotDocument> doc;
    Bitmap raster;
    std::unique_ptr<RasterCanvas> canvas;
    VectorLineSink memo;

    DragFixture() {
        doc = Document(4000, 3000, 10, 100, &memo);
        raster = Bitmap(int(doc->ClientWidth), int(doc->ClientHeight), PixelFormat::Raster32());
        canvas = std::make_unique<RasterCanvas>(raster);
        DocumentView view{*canvas};
        doc->FormPaint(view);
    }
};

void BM_DragStep(benchmark::State& state) {
    DragFixture f;
    DocumentView view{*f.canvas};
    TMarker* dragged = &f.doc->DataSeries[4]->Marker(50);
    f.doc->DragIndex =
        std::int32_t(std::find(f.doc->MarkerList().begin(), f.doc->MarkerList().end(), dragged) -
                     f.doc->MarkerList().begin());
    int step = 0;
    for (auto _ : state) {
        TPoint p = dragged->Position();
        p.X += (step++ % 2) ? 3 : -3;
        f.doc->Redraw(f.doc->DragTo(p), view);
    }
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMicrosecond);

// Undo and redo of one whole marker drag on a document of 10,000 markers in 10 series and a 4000 x
// 3000 picture, each redrawn as the window would; beside them one drag step on the same document.
struct BigDragFixture {
    std::unique_ptr<PlotDocument> doc;
    Bitmap raster;
    std::unique_ptr<RasterCanvas> canvas;
    VectorLineSink memo;
    TMarker* dragged = nullptr;
    int index = 0;

    BigDragFixture() {
        doc = Document(4000, 3000, 10, 1000, &memo);
        raster = Bitmap(1200, 800, PixelFormat::Raster32());  // a window's visible part
        canvas = std::make_unique<RasterCanvas>(raster);
        dragged = &doc->DataSeries[4]->Marker(50);
        index = int(std::find(doc->MarkerList().begin(), doc->MarkerList().end(), dragged) -
                    doc->MarkerList().begin());
    }
    DocumentView View() {
        return DocumentView{*canvas, dragged->ScreenX(0, 1.0) - 600, dragged->ScreenY(0, 1.0) - 400};
    }
};

void BM_DragStepAmong10000(benchmark::State& state) {
    BigDragFixture f;
    DocumentView view = f.View();
    f.doc->FormPaint(view);
    f.doc->BeginDrag(f.index);
    int step = 0;
    for (auto _ : state) {
        TPoint p = f.dragged->Position();
        p.X += (step++ % 2) ? 3 : -3;
        f.doc->Redraw(f.doc->DragTo(p), view);
    }
    f.doc->EndDrag();
}
BENCHMARK(BM_DragStepAmong10000)->Unit(benchmark::kMicrosecond);

void BM_UndoRedoDragAmong10000(benchmark::State& state) {
    BigDragFixture f;
    DocumentView view = f.View();
    f.doc->FormPaint(view);
    f.doc->BeginDrag(f.index);
    for (int dx : {1, 1, 1})  // three steps, as far as one step of the drag benchmark
        f.doc->DragTo({f.dragged->X + dx, f.dragged->Y});
    f.doc->EndDrag();
    const bool undo = state.range(0) == 0;
    DisplayChange change;
    for (auto _ : state) {
        // Only the undo (or the redo) is timed; the other one puts the document back.
        state.PauseTiming();
        if (!undo && f.doc->Undo(change)) f.doc->Redraw(change, view);
        state.ResumeTiming();
        if (undo ? f.doc->Undo(change) : f.doc->Redo(change)) f.doc->Redraw(change, view);
        state.PauseTiming();
        if (undo && f.doc->Redo(change)) f.doc->Redraw(change, view);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UndoRedoDragAmong10000)->Arg(0)->Arg(1)->ArgNames({"redo"})->Unit(benchmark::kMicrosecond);

// The history's memory for 1,000 recorded drags.
void BM_HistoryOf1000Drags(benchmark::State& state) {
    BigDragFixture f;
    for (auto _ : state) {
        f.doc->MarkOpened();
        for (int k = 0; k < 1000; ++k) {
            f.doc->BeginDrag(f.index);
            f.doc->DragTo({f.dragged->X + (k % 2 ? -1 : 1), f.dragged->Y});
            f.doc->EndDrag();
        }
    }
    state.counters["steps"] = double(f.doc->UndoHistory().Count());
    state.counters["bytes"] = double(f.doc->UndoHistory().MemoryUse());
}
BENCHMARK(BM_HistoryOf1000Drags)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FullRepaint(benchmark::State& state) {
    DragFixture f;
    DocumentView view{*f.canvas};
    for (auto _ : state) {
        f.doc->FormPaint(view);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMicrosecond);

// The yardstick: the whole zoomed bitmap at level 1 (8400 x 5600) built at once, as the display
// once was on every zoom step.
void BM_WholeZoomedBitmapLevel1(benchmark::State& state) {
    const Bitmap picture = Scan(6000, 4000);
    const double f = 1.4;
    for (auto _ : state) {
        Bitmap zoomed = test::WholeZoomedPicture(picture, f, int(Round(6000 * f)), int(Round(4000 * f)));
        benchmark::DoNotOptimize(zoomed.Rows());
    }
}
BENCHMARK(BM_WholeZoomedBitmapLevel1)->Unit(benchmark::kMillisecond)->UseRealTime();

// One zoom step of a 6000 x 4000 picture from the level given and the paint of a 1200 x 800
// window's worth of it around the picture's middle, as the document window shows it after the step.
void BM_ZoomStepAndPaint(benchmark::State& state) {
    PlotDocument doc;
    doc.Picture = Scan(6000, 4000);
    doc.ZoomLevel = std::int32_t(state.range(0));
    doc.StretchB();
    Bitmap raster(1200, 800, PixelFormat::Raster32());
    RasterCanvas canvas(raster);
    bool in = true;
    for (auto _ : state) {
        if (!(in ? doc.ZoomIn() : doc.ZoomOut())) state.SkipWithError("the step was refused");
        in = !in;
        DocumentView view{canvas, std::max<std::int64_t>(0, doc.ClientWidth / 2 - 600),
                          std::max<std::int64_t>(0, doc.ClientHeight / 2 - 400)};
        doc.FormPaint(view);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ZoomStepAndPaint)->DenseRange(-5, 12)->ArgNames({"from"})->Unit(benchmark::kMillisecond);

#ifdef CURVANA_BENCH_QT
// The anchor: Qt's own nearest-neighbour scaling of the same picture to the same size. Qt spreads
// the work over its thread pool, so both zoom benchmarks are timed by the wall clock.
void BM_QImageScaledFast(benchmark::State& state) {
    Bitmap scan = Scan(6000, 4000);
    QImage image(scan.Row(0), scan.Width(), scan.Height(), qsizetype(scan.Stride()), QImage::Format_BGR888);
    for (auto _ : state) {
        QImage scaled = image.scaled(8400, 5600, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        benchmark::DoNotOptimize(scaled.constBits());
    }
}
BENCHMARK(BM_QImageScaledFast)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

}  // namespace

BENCHMARK_MAIN();
