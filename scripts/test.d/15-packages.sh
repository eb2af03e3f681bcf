#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package as a user would, in a release build of its own
# folder made with Ninja (the other stages use the default generator, so
# both keep working), and checks it with Debian's and freedesktop's
# validators: lintian must report no error and no warning, and the menu entry
# and the AppStream description that the package installs must validate,
# beside its icon in every size.
source "$(dirname "$0")/../common.sh"

ensure_packages "${BASE_PACKAGES[@]}" ninja-build dpkg-dev lintian appstream desktop-file-utils
PACKAGE_BUILD="${PACKAGE_BUILD:-$ROOT/build-deb}"
cmake -S "$ROOT" -B "$PACKAGE_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRASVEX_BUILD_TESTS=OFF >/dev/null
cmake --build "$PACKAGE_BUILD" -j "$JOBS"
cd "$PACKAGE_BUILD"
rm -f trasvex_*.deb
cpack -G DEB >/dev/null
package=$(echo trasvex_*_amd64.deb)
dpkg-deb --field "$package" Package Version Section Priority Depends
lintian --fail-on error,warning --display-info "$package"
echo "lintian: $package has no error and no warning"

contents="$PACKAGE_BUILD/deb-contents"
rm -rf "$contents"
dpkg-deb --extract "$package" "$contents"
share="$contents/usr/share"
desktop-file-validate "$share/applications/trasvex.desktop"
appstreamcli validate --no-net "$share"/metainfo/*.metainfo.xml
for size in 16 24 32 48 64 128 256; do
  [[ -f "$share/icons/hicolor/${size}x$size/apps/trasvex.png" ]] ||
    { echo "the package has no ${size}x$size icon" >&2; exit 1; }
done
[[ -f "$share/icons/hicolor/scalable/apps/trasvex.svg" ]] ||
  { echo "the package has no scalable icon" >&2; exit 1; }
echo "Menu entry, AppStream description and icons: valid"
