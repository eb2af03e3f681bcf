#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes screenshots of the main window under Xvfb after a listing run:
# <out>-params.png and <out>-results.png (default: the build folder). A
# Windows build folder (build-win64) is run under Wine with its own prefix.
# Usage: tests/app/screenshot.sh [build folder] [output prefix]
set -euo pipefail
BUILD="$(realpath "${1:-$(cd "$(dirname "$0")/../.." && pwd)/build}")"
OUT="$(realpath -m "${2:-$BUILD/screenshot}")"
if [[ -f "$BUILD/tests/app/tst_logomain.exe" ]]; then
  export WINEPREFIX="$BUILD/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
  # Wine's drive Z: is the root of the file system.
  suite=(wine "$BUILD/tests/app/tst_logomain.exe") shot="Z:${OUT//\//\\}-%1.png"
else
  suite=(env QT_QPA_PLATFORM=xcb "$BUILD/tests/app/tst_logomain") shot="$OUT-%1.png"
fi
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" \
  env -u QT_QPA_PLATFORM TRASVEX_SCREENSHOT="$shot" "${suite[@]}" screenshot
ls -l "$OUT"-*.png
