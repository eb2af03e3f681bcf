#!/usr/bin/env bash
# Cross-builds the program and its test suites for 64-bit Windows with
# mingw-w64 (without the window: there is no Qt for that target here) in
# their own folder, and runs the tests under Wine with a private prefix
# inside that folder, so nothing outside it is touched. A failing test
# fails the stage.
source "$(dirname "$0")/../common.sh"

ensure_packages "${BASE_PACKAGES[@]}" g++-mingw-w64-x86-64-posix wine wine64
WINDOWS_BUILD="${WINDOWS_BUILD:-$ROOT/build-win64}"
export WINEPREFIX="$WINDOWS_BUILD/wineprefix"
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and there is no one to ask.
export WINEDLLOVERRIDES="mscoree=;mshtml="
echo "$(wine --version), $(x86_64-w64-mingw32-g++-posix --version | head -1)"

started=$SECONDS
cmake -S "$ROOT" -B "$WINDOWS_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DTRASVEX_WITH_WINDOW=OFF -DTRASVEX_BUILD_TESTS=ON >/dev/null
cmake --build "$WINDOWS_BUILD" -j "$JOBS"
echo "Windows build: $((SECONDS - started)) s"

# The prefix's server outlives the programs for a while: end it with the stage.
trap 'wineserver -k 2>/dev/null || true' EXIT
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  started=$SECONDS
  wine wineboot --init >/dev/null 2>&1
  echo "Wine prefix created: $((SECONDS - started)) s"
fi

started=$SECONDS
cd "$WINDOWS_BUILD"
ctest --output-on-failure -j "$JOBS"
echo "Windows tests under Wine: $((SECONDS - started)) s"
