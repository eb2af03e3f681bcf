#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in their own folder and runs each for a short,
# bounded time from its committed seeds. Any finding fails the stage.
source "$(dirname "$0")/../common.sh"

ensure_packages "${BASE_PACKAGES[@]}" clang-14 libclang-rt-14-dev
FUZZ_BUILD="${FUZZ_BUILD:-$ROOT/build-fuzz}"
SECONDS_EACH="${FUZZ_SECONDS:-20}"
CXX=clang++-14 cmake -S "$ROOT/fuzz" -B "$FUZZ_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$FUZZ_BUILD" -j "$JOBS"

export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$FUZZ_BUILD"
for seeds in "$ROOT"/fuzz/corpus/*/; do
  target="$(basename "$seeds")"
  echo "--- $target (${SECONDS_EACH}s)"
  # New inputs go to a folder of the build, never to the committed seeds.
  rm -rf "found/$target"
  mkdir -p "found/$target"
  "./$target" -max_total_time="$SECONDS_EACH" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$FUZZ_BUILD/crash-$target-" "found/$target" "$seeds" 2>"$target.log" ||
    { tail -50 "$target.log"; echo "$target: finding (input saved as $FUZZ_BUILD/crash-$target-*)"; exit 1; }
  echo "$(grep -E "^stat::(number_of_executed_units|new_units_added)" "$target.log" || true)" |
    tr '\n' ' '
  echo
done
