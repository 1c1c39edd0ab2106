#!/bin/sh
# Takes the README's screenshot of the main window with two documents, under a virtual display.
# Usage: docs/tools/make-screenshots.sh [BUILD_DIR]
set -eu
cd "$(dirname "$0")/../.."
build=${1:-build}
./scripts/install-packages xvfb imagemagick
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
docs/tools/make-chart.sh "$work/chart.bmp"
xvfb-run -a -s "-screen 0 1260x840x24" sh -c "
  '$build/curvana_show_documents' '$work/chart.bmp' '$work/sample.cvn' &
  sleep 4
  import -window root -crop 1190x770+35+25 +repage docs/main-window.png
  kill \$!"
echo "wrote docs/main-window.png"
