#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The longest time the window would go without its events processed during
# a run, with one worker and with 32, as the engine drives it (bench/pumps.cpp:
# the engine with a host that notes each pump):
#   P1 copy of 'small' (local)         P4 copy of 'share' onto the simulated share
#   P2 no-op over 'small' (local)      P5 no-op over 'share' on the share
#   P3 listing of 'small' (local)      P6 copy of one file of 1 GiB (local)
# The simulated share is bench/slowfs.c, each request delayed by
# SHARE_DELAY_US (default 1000). The rule is 100 ms at most.
#
#   bench/pumps.sh
source "$(dirname "$0")/../scripts/common.sh"

SHARE_DELAY_US="${SHARE_DELAY_US:-1000}"
BUILD="${BUILD_SCALE:-$ROOT/build-scale}"
BENCH="${BENCH:-$BUILD/bench}"
TREES="$BENCH/trees"
WORK="$BENCH/pumps"
SHARE="$BENCH/pumps-share"
SHARE_BACKING="$BENCH/pumps-share-backing"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM TRASVEX_JOBS

ensure_packages "${BASE_PACKAGES[@]}" libfuse3-dev fuse3 pkg-config
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DTRASVEX_WITH_WINDOW=OFF \
  -DTRASVEX_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target trasvex_pumps >"$BUILD/build.log" 2>&1 ||
  { cat "$BUILD/build.log"; exit 1; }
g++ -O2 -std=c++20 -o "$BUILD/make-tree" "$ROOT/bench/make-tree.cpp"
# shellcheck disable=SC2046
gcc -O2 -o "$BUILD/slowfs" "$ROOT/bench/slowfs.c" $(pkg-config --cflags --libs fuse3)

unmount_share() { fusermount3 -u "$SHARE" 2>/dev/null || fusermount3 -uz "$SHARE" 2>/dev/null || true; }
unmount_share
rm -rf "$WORK" "$SHARE_BACKING"
mkdir -p "$TREES" "$WORK/one" "$SHARE" "$SHARE_BACKING"
trap 'unmount_share; rm -rf "$WORK" "$SHARE_BACKING" "$SHARE"' EXIT

for kind in small share; do
  if [[ ! -e "$TREES/$kind.done" ]]; then
    rm -rf "${TREES:?}/$kind"
    "$BUILD/make-tree" "$kind" "$TREES/$kind"
    touch "$TREES/$kind.done"
  fi
done
head -c 1G /dev/zero >"$WORK/one/grande.bin"
"$BUILD/slowfs" -o delay_us="$SHARE_DELAY_US" "$SHARE_BACKING" "$SHARE"

# MEASURE NAME JOBS SRC DST [LIST]: one run; prints the longest interval.
measure() {
  local name="$1" jobs="$2" src="$3" dst="$4" mode="${5:-}"
  printf '%s = %s\r\n' "$dst" "$src" >"$WORK/lista.rtf"
  read -r longest total pumps < <(TRASVEX_JOBS="$jobs" "$BUILD/bench/trasvex_pumps" \
    "$WORK/lista.rtf" $mode 2>/dev/null)
  printf '| %s | %2d | %6d | %8d | %6d |\n' "$name" "$jobs" "$longest" "$total" "$pumps"
}

echo "| run | workers | longest without events, ms | run, ms | pumps |"
echo "|---|---|---|---|---|"
for jobs in 1 32; do
  measure P1 "$jobs" "$TREES/small" "$WORK/small-$jobs"
  measure P2 "$jobs" "$TREES/small" "$WORK/small-$jobs"
  measure P3 "$jobs" "$TREES/small" "$WORK/list-$jobs" LIST
  measure P4 "$jobs" "$TREES/share" "$SHARE/share-$jobs"
  measure P5 "$jobs" "$TREES/share" "$SHARE/share-$jobs"
  measure P6 "$jobs" "$WORK/one" "$WORK/one-$jobs"
done
