#!/usr/bin/env bash
# Builds the engine's test suite a second time with AddressSanitizer and
# UndefinedBehaviorSanitizer, in its own folder and without the window, and
# runs it: a failing test or any sanitizer report fails the stage.
source "$(dirname "$0")/../common.sh"

ensure_packages "${BASE_PACKAGES[@]}"
SANITIZED="${SANITIZED_BUILD:-$ROOT/build-asan}"
FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S "$ROOT" -B "$SANITIZED" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTRASVEX_WITH_WINDOW=OFF -DTRASVEX_BUILD_TESTS=ON \
  -DCMAKE_CXX_FLAGS="$FLAGS" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$SANITIZED" -j "$JOBS" --target engine_tests

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
"$SANITIZED/tests/engine/engine_tests" --gtest_brief=1
