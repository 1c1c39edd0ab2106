#!/bin/sh
# Writes a PDF of one US Letter page holding the test chart (tests/data/pdf/chart.ps) drawn 1.8
# times as large, the way a figure fills a page of a paper: 2550 x 3300 pixels at 300 dpi.
# Usage: bench/make-chart-pdf.sh OUT.pdf   (needs Ghostscript)
set -eu
here=$(dirname "$0")
sed '/setpagedevice/d' "$here/../tests/data/pdf/chart.ps" |
    gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite -dEmbedAllFonts=true -dSubsetFonts=true \
        -sOutputFile="$1" \
        -c '<</NeverEmbed []>> setdistillerparams << /PageSize [612 792] >> setpagedevice 36 250 translate 1.8 1.8 scale' \
        -f -
