#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A listing run over 100,000 files in the window (offscreen) against the
# unattended console listing of the same tree, and the sorts of the listed
# rows by each column. Prints the times and the ratio window/console (the
# median of the timed runs each).
#
#   bench/window_listing.sh [runs]        (default 3)
#
# Work goes to $BENCH (default build-window/bench-window).
source "$(dirname "$0")/../scripts/common.sh"

RUNS="${1:-3}"
BUILD="${BUILD_WINDOW:-$ROOT/build-window}"
BENCH="${BENCH:-$BUILD/bench-window}"
FILES=100000

ensure_packages "${BASE_PACKAGES[@]}" python3
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRASVEX_WITH_WINDOW=ON \
  -DTRASVEX_BUILD_TESTS=ON >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target trasvex tst_logomain >/dev/null

if [[ ! -f "$BENCH/tree/done" ]]; then
  echo "Creating $FILES files under $BENCH/tree/src"
  rm -rf "$BENCH/tree"
  python3 - "$BENCH/tree" "$FILES" <<'PY'
import os, sys
root, files = sys.argv[1], int(sys.argv[2])
for d in range(100):
    directory = os.path.join(root, "src", "d%03d" % d)
    os.makedirs(directory)
    for f in range(files // 100):
        path = os.path.join(directory, "file%05d.%s" % ((f * 7919) % 100000, ("txt", "doc", "jpg")[f % 3]))
        with open(path, "wb") as out:
            out.write(b"x" * (f % 5000))
        stamp = 1262304000 + (f * 104729 + d) % 400000000
        os.utime(path, (stamp, stamp))
os.makedirs(os.path.join(root, "dst"))
open(os.path.join(root, "done"), "w").close()
PY
fi
TREE="$BENCH/tree"
printf '%s/dst = %s/src' "$TREE" "$TREE" > "$BENCH/lista.rtf"

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

console=() window=()
for ((i = 0; i <= RUNS; i++)); do  # round 0 warms the cache and is not counted
  start=$(now_ms)
  (cd "$BENCH" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
    "$BUILD/trasvex/trasvex" lista.rtf AUTO LIST >/dev/null 2>"$BENCH/console.err") || true
  elapsed=$(( $(now_ms) - start ))
  out=$(QT_QPA_PLATFORM=offscreen TRASVEX_BENCH_TREE="$TREE" \
    "$BUILD/tests/app/tst_logomain" benchmarkListing 2>&1)
  ((i == 0)) && continue
  console+=("$elapsed")
  window+=("$(sed -n 's/.*window listing: \([0-9]*\) ms.*/\1/p' <<<"$out")")
  echo "run $i: console ${elapsed} ms, window ${window[-1]} ms"
done
echo "console summary: $(tail -n 1 "$BENCH/console.err")"
grep -E "window listing|sort by column" <<<"$out" | sed 's/^QINFO *: *[^ ]* //'
c=$(printf '%s\n' "${console[@]}" | median)
w=$(printf '%s\n' "${window[@]}" | median)
echo "median: console $c ms, window $w ms, ratio window/console $(awk -v w="$w" -v c="$c" 'BEGIN {printf "%.2f", w / c}')"
