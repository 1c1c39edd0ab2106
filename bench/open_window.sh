#!/bin/sh
# Opens a 6000x4000 JPEG in the real main window (Qt's offscreen platform) and compares, in one run,
# the time to a painted document window with djpeg decoding the same file, and the peak resident
# memory with the picture's 24-bit size (72 MB).
# Usage: bench/open_window.sh [BUILD_DIR]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${RUNS:-3}
./scripts/install-packages libjpeg-turbo-progs imagemagick time
[ -x "$build/curvana_open_timing" ] || { echo "build the project first (make build)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert tests/data/jpeg/testorig-baseline-420.jpg -resize '6000x4000!' -quality 90 "$work/big.jpg"

best_djpeg=""
best_open=""
peak=0
i=0
while [ "$i" -lt "$runs" ]; do
    start=$(date +%s%N)
    djpeg -bmp -outfile "$work/out.bmp" "$work/big.jpg"
    t=$(( ($(date +%s%N) - start) / 1000000 ))
    if [ -z "$best_djpeg" ] || [ "$t" -lt "$best_djpeg" ]; then best_djpeg=$t; fi

    QT_QPA_PLATFORM=offscreen /usr/bin/time -v "$build/curvana_open_timing" "$work/big.jpg" > "$work/out.txt" 2> "$work/time.txt"
    t=$(sed -n 's/^opened and painted in \([0-9]*\) ms$/\1/p' "$work/out.txt")
    if [ -z "$best_open" ] || [ "$t" -lt "$best_open" ]; then best_open=$t; fi
    kb=$(sed -n 's/^[[:space:]]*Maximum resident set size (kbytes): \([0-9]*\)$/\1/p' "$work/time.txt")
    if [ "$kb" -gt "$peak" ]; then peak=$kb; fi
    i=$((i + 1))
done

awk -v o="$best_open" -v d="$best_djpeg" -v kb="$peak" 'BEGIN {
    picture = 6000 * 4000 * 3 / 1048576
    printf "open 6000x4000 JPEG to a painted window: %d ms; djpeg: %d ms; ratio %.2f (target <= 1.3)\n", o, d, o / d
    printf "peak resident memory: %.0f MB = %.2f x the 24-bit picture (%.0f MB; target <= 3.5)\n", kb / 1024, kb / 1024 / picture, picture
}'
