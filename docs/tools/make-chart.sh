#!/bin/sh
# Draws a chart picture (two curves on a grid, slightly rotated as from a scanner) with ImageMagick.
set -eu
out=$1
# The two curves, as short lines in the frame (80,40)-(580,380): a rising S-curve and a damped hump.
blue=$(awk 'BEGIN { for (i = 0; i <= 50; i++) { t = i / 50; y = 1 / (1 + exp(-10 * (t - 0.5)));
                     x = 80 + 500 * t; v = 375 - 320 * y;
                     if (i > 0) printf "line %d,%d %d,%d ", px, pv, x, v; px = x; pv = v } }')
red=$(awk 'BEGIN { for (i = 0; i <= 50; i++) { t = i / 50; y = 0.25 + 0.6 * sin(3.14159 * t) * exp(-1.5 * t);
                    x = 80 + 500 * t; v = 380 - 340 * y;
                    if (i > 0) printf "line %d,%d %d,%d ", px, pv, x, v; px = x; pv = v } }')
convert -size 640x440 xc:white -fill none \
  -stroke '#bbbbbb' -strokewidth 1 \
  -draw "line 180,40 180,380" -draw "line 280,40 280,380" -draw "line 380,40 380,380" -draw "line 480,40 480,380" \
  -draw "line 80,125 580,125" -draw "line 80,210 580,210" -draw "line 80,295 580,295" \
  -stroke black -strokewidth 2 -draw "rectangle 80,40 580,380" \
  -stroke '#1f5fbf' -strokewidth 3 -draw "$blue" \
  -stroke '#c0392b' -strokewidth 3 -draw "$red" \
  -stroke none -fill black -pointsize 16 -draw "text 72,405 '0'" -draw "text 570,405 '10'" \
  -draw "text 50,385 '0'" -draw "text 40,48 '100'" \
  -background white -rotate 2.5 -type TrueColor "BMP3:$out"
