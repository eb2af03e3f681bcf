#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds the program with its window and the test suites for 64-bit
# Windows with mingw-w64 and a static Qt, in their own folder; runs the tests
# under Wine on a virtual display, with a private prefix inside that folder,
# so nothing outside it is touched; then packs the installer and checks that
# it installs, that the installed program runs, and that it uninstalls. A
# failing test or check fails the stage.
source "$(dirname "$0")/../common.sh"

ensure_packages "${BASE_PACKAGES[@]}" g++-mingw-w64-x86-64-posix qt6-base-dev-tools \
  icoutils nsis wine wine64 xz-utils python3
WINDOWS_BUILD="${WINDOWS_BUILD:-$ROOT/build-win64}"
QT_ARCHIVE="$ROOT/../shared/deps/qt6-mingw64-6.4.2.tar.xz"
QT_WINDOWS="$WINDOWS_BUILD/qt6-mingw64"
export WINEPREFIX="$WINDOWS_BUILD/wineprefix"
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and there is no one to ask.
export WINEDLLOVERRIDES="mscoree=;mshtml="
echo "$(wine --version), $(x86_64-w64-mingw32-g++-posix --version | head -1)"
stage_started=$SECONDS

# The static Qt for Windows: the prebuilt archive beside the clone when there
# is one, otherwise built from Debian's source (scripts/build-qt-windows).
mkdir -p "$WINDOWS_BUILD"
if [[ -f "$QT_WINDOWS/lib/cmake/Qt6/qt.toolchain.cmake" ]]; then
  echo "Qt for Windows: $QT_WINDOWS (in place from an earlier run)"
elif [[ -f "$QT_ARCHIVE" ]]; then
  tar -xJf "$QT_ARCHIVE" -C "$WINDOWS_BUILD"
  echo "Qt for Windows: $QT_WINDOWS, unpacked from $(realpath "$QT_ARCHIVE")"
else
  echo "Qt for Windows: no $QT_ARCHIVE; building it from Debian's source (about 50 minutes)"
  bash "$ROOT/scripts/build-qt-windows" "$QT_WINDOWS"
fi

started=$SECONDS
cmake -S "$ROOT" -B "$WINDOWS_BUILD" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$QT_WINDOWS/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DTRASVEX_WITH_WINDOW=ON -DTRASVEX_BUILD_TESTS=ON >/dev/null
cmake --build "$WINDOWS_BUILD" -j "$JOBS"
echo "Windows build: $((SECONDS - started)) s"

# One executable that needs nothing beside it: only the system's DLLs.
PROGRAM="$WINDOWS_BUILD/trasvex/trasvex.exe"
imports=$(x86_64-w64-mingw32-objdump -p "$PROGRAM" | sed -n 's/^\s*DLL Name: //p' | sort -u)
if grep -Eiv '^(api-ms-win-.*|advapi32|authz|comdlg32|d3d9|d3d11|dwmapi|dwrite|dxgi|gdi32|imm32|kernel32|msvcrt|netapi32|ole32|oleaut32|shcore|shell32|shlwapi|user32|userenv|uxtheme|version|winmm|ws2_32|wtsapi32)\.dll$' <<<"$imports"; then
  echo "trasvex.exe needs the DLLs above, which Windows does not have" >&2
  exit 1
fi
resources=$(wrestool --list "$PROGRAM")
for type in group_icon version 24; do
  grep -q "type=$type" <<<"$resources" || { echo "trasvex.exe lacks its $type resource" >&2; exit 1; }
done
wrestool --extract --type=group_icon --output="$WINDOWS_BUILD/trasvex-exe.ico" "$PROGRAM"
icon_sizes=$(icotool --list "$WINDOWS_BUILD/trasvex-exe.ico" | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | xargs)
[[ "$icon_sizes" == "16 24 32 48 64 128 256" ]] ||
  { echo "trasvex.exe's icon has the sizes '$icon_sizes', not 16 to 256" >&2; exit 1; }

# The window tests need a display: Wine shows its windows on a virtual one,
# which ends with the stage, as does the prefix's server.
display_file="$WINDOWS_BUILD/xvfb-display"
rm -f "$display_file"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
XVFB_PID=$!
trap 'wineserver -k 2>/dev/null || true; kill "$XVFB_PID" 2>/dev/null || true' EXIT
for _ in $(seq 50); do  # Xvfb writes the number of the free display it took
  [[ -s "$display_file" ]] && break
  sleep 0.1
done
[[ -s "$display_file" ]] || { echo "Xvfb did not start: no virtual display" >&2; exit 1; }
export DISPLAY=":$(cat "$display_file")"
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  started=$SECONDS
  wine wineboot --init >/dev/null 2>&1
  echo "Wine prefix created: $((SECONDS - started)) s"
fi

started=$SECONDS
cd "$WINDOWS_BUILD"
if ! ctest --output-on-failure -j "$JOBS"; then
  # Under Wine the window suites write their report to a file, not to ctest.
  cat tests/app/tst_*.txt >&2 || true
  exit 1
fi
# Wine lends the program a console only under a terminal: the console case
# runs again on a pseudo-terminal, where it must run, not skip.
rm -f console.xml
script -qec "wine tests/engine/engine_tests.exe --gtest_filter='WindowsFiles.AConsole*' \
  --gtest_output=xml:console.xml" /dev/null </dev/null >/dev/null
grep -q 'skipped="0" errors="0"' console.xml && grep -q 'failures="0"' console.xml ||
  { echo "console output under a terminal failed or was skipped" >&2; cat console.xml >&2; exit 1; }
echo "Windows tests under Wine: $((SECONDS - started)) s"

# The installer and the portable ZIP; then, under Wine: a silent install, a
# run of the installed program, a silent uninstall.
started=$SECONDS
cpack -G "NSIS;ZIP" >/dev/null
installer="$WINDOWS_BUILD/trasvex-2.0-win64.exe"
ls -l "$installer" "$WINDOWS_BUILD/trasvex-2.0-win64.zip"
installed="$WINEPREFIX/drive_c/Program Files/Trasvex"
wine "$installer" /S
for file in bin/trasvex.exe Uninstall.exe licenses/Trasvex/LICENSE.txt \
  licenses/Qt/LGPL-3.0-only.txt licenses/mingw-w64/copyright.txt; do
  [[ -f "$installed/$file" ]] || { echo "the installer did not install $file" >&2; exit 1; }
done
# The uninstall entry shows the program's icon.
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Trasvex'
display_icon=$(wine reg query "$uninstall_key" /v DisplayIcon | tr -d '\r' |
  sed -n 's/^ *DisplayIcon *REG_SZ *//p')
[[ "$display_icon" == 'C:\Program Files\Trasvex\bin\trasvex.exe' ]] ||
  { echo "the uninstall entry's icon is '$display_icon', not the installed program" >&2; exit 1; }
# The Start-menu entry starts the program in a Documents folder.
shortcut=$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Trasvex/Trasvex.lnk' | head -1)
[[ -n "$shortcut" ]] || { echo "the installer made no Start-menu entry" >&2; exit 1; }
start_folder=$(python3 "$ROOT/scripts/shortcut-folder.py" "$shortcut")
[[ "$start_folder" == *'\Documents' ]] ||
  { echo "the Start-menu entry starts in '$start_folder', not in Documents" >&2; exit 1; }
echo "Uninstall entry's icon: $display_icon; the Start-menu entry starts in $start_folder"

check="$WINDOWS_BUILD/installer-check"
rm -rf "$check" && mkdir -p "$check/src"
echo datos >"$check/src/a.txt"
printf 'txt\r\ncopia = src' >"$check/lista.rtf"
(cd "$check" && wine "$installed/bin/trasvex.exe" lista.rtf AUTO)
cmp -s "$check/src/a.txt" "$check/copia/a.txt" ||
  { echo "the installed program did not run the configuration" >&2; exit 1; }

wine "$installed/Uninstall.exe" /S
for _ in $(seq 60); do  # the uninstaller goes on in a copy of itself
  [[ -e "$installed" ]] || break
  sleep 1
done
[[ ! -e "$installed" ]] || { echo "the uninstaller left $installed" >&2; exit 1; }
echo "Installer built, installed, run and uninstalled: $((SECONDS - started)) s"
echo "Windows stage: $((SECONDS - stage_started)) s"
