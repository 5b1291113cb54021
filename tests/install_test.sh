#!/usr/bin/env bash
# Installs the build into a temporary prefix (with a blank in its path) and
# checks the files, the menu entries, that the shipped programs carry no test
# hook, and that a window program in the installed bin/ finds its help.
set -euo pipefail
build=$1
top=$(realpath "$(mktemp -d)")
trap 'rm -rf "$top"' EXIT
prefix="$top/my prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/Tarvelin bin/Quorvash bin/tarvelin-cli bin/quorvash-cli bin/Tarvelin.png bin/Quorvash.png \
         share/applications/tarvelin.desktop share/applications/quorvash.desktop \
         share/icons/hicolor/scalable/apps/tarvelin.svg share/icons/hicolor/scalable/apps/quorvash.svg \
         share/icons/hicolor/16x16/apps/tarvelin.png share/icons/hicolor/256x256/apps/quorvash.png \
         share/picture-fetchers/help/tarvelin.html share/picture-fetchers/help/quorvash.html \
         share/picture-fetchers/help/browser-button.html share/picture-fetchers/help/style.css; do
  [ -s "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done

desktop-file-validate "$prefix/share/applications/tarvelin.desktop" "$prefix/share/applications/quorvash.desktop"
grep -qxF "Exec=\"$prefix/bin/Tarvelin\"" "$prefix/share/applications/tarvelin.desktop"
grep -qxF "Categories=Network;Graphics;" "$prefix/share/applications/quorvash.desktop"

for f in bin/Tarvelin bin/Quorvash; do
  ! grep -q PICTURE_FETCHERS_TEST_REPORT "$prefix/$f" || { echo "$f carries the test report"; exit 1; }
done

# The reporting build of Tarvelin, put beside the installed one.
cp "$build/test-bin/Tarvelin" "$prefix/bin/Tarvelin-reporting"
export XDG_CONFIG_HOME="$top/config" XDG_DATA_HOME="$top/data" QT_QPA_PLATFORM=offscreen
export PICTURE_FETCHERS_TEST_REPORT="$top/report"
# The sponsor panel's page goes to a dead loopback proxy, not out to its host.
export QTWEBENGINE_CHROMIUM_FLAGS=--proxy-server=127.0.0.1:9
"$prefix/bin/Tarvelin-reporting"
grep -qxF "help=$prefix/share/picture-fetchers/help/tarvelin.html" "$top/report" ||
  { echo "a program in the installed bin/ did not find its help:"; cat "$top/report"; exit 1; }
echo "install test passed"
