#!/bin/sh
# Zoom steps of a 6000x4000 picture in the real main window (Qt's offscreen platform), each to a
# painted document window showing 1200x800 of it, at every level, and the peak resident memory at
# level 6 against the 24-bit picture's size; in the same run, the zoom step with its paint in the
# document alone and, as the comparison, the whole zoomed bitmap at level 1 built at once.
# Usage: bench/zoom_window.sh [BUILD_DIR]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
for program in curvana_zoom_timing bench_document; do
    [ -x "$build/$program" ] || { echo "build the project with its benchmarks first (make build)" >&2; exit 1; }
done
QT_QPA_PLATFORM=offscreen "$build/curvana_zoom_timing" 2>/dev/null
"$build/bench_document" --benchmark_filter='BM_ZoomStepAndPaint|BM_WholeZoomedBitmapLevel1' 2>/dev/null
