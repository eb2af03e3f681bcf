#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the engine's test suite twice more, each time in its own folder and
# without the window, and runs it: with AddressSanitizer and
# UndefinedBehaviorSanitizer, then with ThreadSanitizer, which watches the
# walk's workers. A failing test or any sanitizer report fails the stage.
source "$(dirname "$0")/../common.sh"

ensure_packages "${BASE_PACKAGES[@]}"
# A sanitized walk takes several times the stack of a plain one at each
# folder level, and the suite walks trees thousands of levels deep: give it
# the 64 MiB the Windows build reserves, or as much as the hard limit allows.
ulimit -s 65536 2>/dev/null || ulimit -s "$(ulimit -H -s)"

# sanitized FOLDER FLAGS: builds the suite in build-FOLDER and runs it.
sanitized() {
  local folder="$ROOT/build-$1" flags="$2"
  cmake -S "$ROOT" -B "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTRASVEX_WITH_WINDOW=OFF -DTRASVEX_BUILD_TESTS=ON \
    -DCMAKE_CXX_FLAGS="$flags -fno-omit-frame-pointer" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
  cmake --build "$folder" -j "$JOBS" --target engine_tests
  "$folder/tests/engine/engine_tests" --gtest_brief=1
}

ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  sanitized asan "-fsanitize=address,undefined -fno-sanitize-recover=all"
TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1" sanitized tsan "-fsanitize=thread"
