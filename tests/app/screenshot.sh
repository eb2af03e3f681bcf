#!/usr/bin/env bash
# Takes screenshots of the main window under Xvfb after a listing run:
# <out>-params.png and <out>-results.png (default: the build folder).
# Usage: tests/app/screenshot.sh [build folder] [output prefix]
set -euo pipefail
BUILD="${1:-$(cd "$(dirname "$0")/../.." && pwd)/build}"
OUT="${2:-$BUILD/screenshot}"
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" \
  env -u QT_QPA_PLATFORM QT_QPA_PLATFORM=xcb TRASVEX_SCREENSHOT="$OUT-%1.png" \
  "$BUILD/tests/app/tst_logomain" screenshot
ls -l "$OUT"-*.png
