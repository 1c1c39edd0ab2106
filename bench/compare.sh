#!/bin/sh
# Times curvana-cli against its anchors in one run and prints the ratios:
#   decode of a 4000x3000 256-colour GIF        against giflib decoding it (and writing the indices out)
#   decode of a 6000x4000 JPEG                  against djpeg -bmp
#   decode of a 6000x4000 LZW RGB TIFF          against tiffcp -c none (decoding it into a plain TIFF)
#   resave of a project holding a 6000x4000 picture against copying the file
# and, for information, the resave and the copy writing over an existing copy of the project;
#   decode of page 1 of a Letter chart PDF at 300 dpi against pdftoppm -r 300 (poppler's own tool)
# Each command runs RUNS times (default 5); the best time counts.
# Usage: bench/compare.sh [BUILD_DIR]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${RUNS:-5}
./scripts/install-packages libgif-dev libjpeg-turbo-progs libtiff-tools imagemagick gcc
./scripts/install-packages poppler-utils ghostscript
[ -x "$build/curvana-cli" ] || { echo "build the project first (make build)" >&2; exit 1; }
cli=$(realpath "$build/curvana-cli")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The anchor for GIF decoding: giflib reads the whole file and writes the first frame's indices.
cat > "$work/gifdecode.c" <<'C'
#include <gif_lib.h>
#include <stdio.h>
int main(int argc, char **argv) {
    int error = 0;
    GifFileType *gif = DGifOpenFileName(argv[1], &error);
    if (!gif || DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) return 1;
    FILE *out = fopen(argv[2], "wb");
    const SavedImage *frame = &gif->SavedImages[0];
    fwrite(frame->RasterBits, 1, (size_t)frame->ImageDesc.Width * frame->ImageDesc.Height, out);
    fclose(out);
    DGifCloseFile(gif, &error);
    return 0;
}
C
gcc -O2 "$work/gifdecode.c" -o "$work/gifdecode" -lgif

# Test pictures: real photographs and plots from the test data, enlarged.
convert tests/data/gif/wuffs/harvesters.gif'[0]' -resize '4000x3000!' -colors 256 "$work/big.gif"
convert tests/data/jpeg/testorig-baseline-420.jpg -resize '6000x4000!' -quality 90 "$work/big.jpg"
convert tests/data/jpeg/testorig-baseline-420.jpg -resize '6000x4000!' -type TrueColor -depth 8 -compress lzw \
    "$work/big.tif"
"$cli" new "$work/big.jpg" "$work/big.cvn"

# Best wall-clock time of a command over the runs, in milliseconds: best OUTPUT COMMAND ARGS...
# Every run writes OUTPUT anew (it is removed first) and starts with nothing left to write back to
# the disk from the run before, so that each command does the same work each time. With
# OVER=FILE, OUTPUT is instead a fresh copy of FILE before each run, so that the command replaces it.
best() {
    out=$1
    shift
    min=""
    i=0
    while [ "$i" -lt "$runs" ]; do
        rm -f "$out"
        if [ -n "${OVER:-}" ]; then cp "$OVER" "$out"; fi
        sync
        start=$(date +%s%N)
        "$@" > /dev/null
        end=$(date +%s%N)
        t=$(( (end - start) / 1000000 ))
        if [ -z "$min" ] || [ "$t" -lt "$min" ]; then min=$t; fi
        i=$((i + 1))
    done
    echo "$min"
}

report() {  # name, ours, anchor, limit
    awk -v n="$1" -v a="$2" -v b="$3" -v l="$4" 'BEGIN {
        r = (b > 0) ? a / b : 0
        if (l == "-") printf "%-36s %6d ms  anchor %6d ms  ratio %.2f\n", n, a, b, r
        else printf "%-36s %6d ms  anchor %6d ms  ratio %.2f  (target <= %s) %s\n", n, a, b, r, l, (r <= l) ? "ok" : "OVER"
    }'
}

gif_ours=$(best "$work/out-gif.bmp" "$cli" decode "$work/big.gif" "$work/out-gif.bmp")
gif_anchor=$(best "$work/out-gif.raw" "$work/gifdecode" "$work/big.gif" "$work/out-gif.raw")
jpg_ours=$(best "$work/out-jpg.bmp" "$cli" decode "$work/big.jpg" "$work/out-jpg.bmp")
jpg_anchor=$(best "$work/out-djpeg.bmp" djpeg -bmp -outfile "$work/out-djpeg.bmp" "$work/big.jpg")
tif_ours=$(best "$work/out-tif.bmp" "$cli" decode "$work/big.tif" "$work/out-tif.bmp")
tif_anchor=$(best "$work/out-tiffcp.tif" tiffcp -c none "$work/big.tif" "$work/out-tiffcp.tif")
cvn_ours=$(best "$work/again.cvn" "$cli" resave "$work/big.cvn" "$work/again.cvn")
cvn_anchor=$(best "$work/copy.cvn" cp "$work/big.cvn" "$work/copy.cvn")
# Replacing a project that has something in it waits until the new file is on the disk (a power
# cut must leave the old file or the new one); cp writes over the old file in place and leaves the
# disk to the kernel. Both replacing an existing copy of the project, and cp made to wait as well:
cvn_over=$(OVER="$work/big.cvn" best "$work/again.cvn" "$cli" resave "$work/big.cvn" "$work/again.cvn")
cvn_over_anchor=$(OVER="$work/big.cvn" best "$work/copy.cvn" cp "$work/big.cvn" "$work/copy.cvn")
cvn_over_flushed=$(OVER="$work/big.cvn" best "$work/copy.cvn" sh -c 'cp "$1" "$2" && sync "$2"' copy \
    "$work/big.cvn" "$work/copy.cvn")

echo "curvana-cli against its anchors (best of $runs runs each):"
report "decode 4000x3000 GIF vs giflib" "$gif_ours" "$gif_anchor" 1.0
report "decode 6000x4000 JPEG vs djpeg -bmp" "$jpg_ours" "$jpg_anchor" 1.1
report "decode 6000x4000 LZW TIFF vs tiffcp" "$tif_ours" "$tif_anchor" 1.0
report "resave 6000x4000 project vs cp" "$cvn_ours" "$cvn_anchor" 2.0
echo "for information, writing over an existing project:"
report "  resave vs cp over it" "$cvn_over" "$cvn_over_anchor" -
report "  resave vs cp over it and sync" "$cvn_over" "$cvn_over_flushed" -

# PDF: page 1 of a Letter page holding the test chart at 300 dpi (2550 x 3300 pixels), against
# pdftoppm rendering it to a PPM file with the same renderer and settings.
bench/make-chart-pdf.sh "$work/chart.pdf"
if "$cli" decode "$work/chart.pdf" "$work/out-pdf.bmp" --dpi 300 > /dev/null 2>&1; then
    pdf_ours=$(best "$work/out-pdf.bmp" "$cli" decode "$work/chart.pdf" "$work/out-pdf.bmp" --dpi 300)
    pdf_anchor=$(best "$work/out-pdf.ppm" pdftoppm -r 300 -f 1 -l 1 -singlefile "$work/chart.pdf" "$work/out-pdf")
    report "decode PDF page at 300 dpi vs pdftoppm" "$pdf_ours" "$pdf_anchor" 1.1
else
    echo "decode PDF page at 300 dpi vs pdftoppm: skipped, curvana-cli does not decode PDF pages"
fi
