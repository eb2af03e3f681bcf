# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the scripts: package installation and the build folder.
# Source it; it sets ROOT and BUILD.

set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
JOBS="$(nproc 2>/dev/null || echo 2)"

# Installs with apt-get whichever of the named Debian packages are missing.
ensure_packages() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

# What every build needs.
BASE_PACKAGES=(ca-certificates g++ make cmake libgtest-dev libgmock-dev
  # The window: Qt 6 Widgets (its offscreen and X11 platform plugins come
  # with it), the metric-compatible stand-in for Arial, and a virtual display.
  qt6-base-dev fonts-liberation xvfb xauth)

# Makes the named locale (es_ES.UTF-8) available unless it already is.
ensure_locale() {
  local name="$1"
  locale -a 2>/dev/null | grep -qix "${name/UTF-8/utf8}" && return
  ensure_packages locales
  grep -qx "$name UTF-8" /etc/locale.gen 2>/dev/null || echo "$name UTF-8" >>/etc/locale.gen
  locale-gen >/dev/null
}

# Configures and builds the program (and, with tests ON, its test suites).
build_program() {
  local tests="$1"
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTRASVEX_BUILD_TESTS="$tests" >/dev/null
  cmake --build "$BUILD" -j "$JOBS"
}
