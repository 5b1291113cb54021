#!/usr/bin/env bash
# Installs the build into a temporary prefix (with a blank in its path) from an
# empty working directory, and checks the files, the menu entries, the
# metainfo, the man pages, that nothing was written into the working
# directory, that the shipped programs carry no test hook, and that the
# installed Tarvelin starts and finds its help.
set -euo pipefail
build=$1
top=$(realpath "$(mktemp -d)")
trap 'rm -rf "$top"' EXIT
prefix="$top/my prefix"
build=$(realpath "$build")
mkdir "$top/cwd"
(cd "$top/cwd" && cmake --install "$build" --prefix "$prefix" >/dev/null)
[ -z "$(ls -A "$top/cwd")" ] || { echo "cmake --install wrote into the working directory:" $(ls -A "$top/cwd"); exit 1; }
[ -z "$(ls "$prefix/bin" | grep -v -x -e Tarvelin -e Quorvash -e tarvelin-cli -e quorvash-cli)" ] ||
  { echo "bin/ holds more than the programs:" $(ls "$prefix/bin"); exit 1; }

for f in bin/Tarvelin bin/Quorvash bin/tarvelin-cli bin/quorvash-cli \
         share/metainfo/org.ombrel.Tarvelin.metainfo.xml share/metainfo/org.ombrel.Quorvash.metainfo.xml \
         share/man/man1/tarvelin-cli.1 share/man/man1/quorvash-cli.1 \
         share/bash-completion/completions/tarvelin-cli share/bash-completion/completions/quorvash-cli \
         share/applications/tarvelin.desktop share/applications/quorvash.desktop \
         share/icons/hicolor/scalable/apps/tarvelin.svg share/icons/hicolor/scalable/apps/quorvash.svg \
         share/icons/hicolor/16x16/apps/tarvelin.png share/icons/hicolor/256x256/apps/quorvash.png \
         share/picture-fetchers/help/tarvelin.html share/picture-fetchers/help/quorvash.html \
         share/picture-fetchers/help/browser-button.html share/picture-fetchers/help/style.css; do
  [ -s "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done

desktop-file-validate "$prefix/share/applications/tarvelin.desktop" "$prefix/share/applications/quorvash.desktop"
grep -qxF "Exec=\"$prefix/bin/Tarvelin\" %u" "$prefix/share/applications/tarvelin.desktop"
grep -qxF "Exec=\"$prefix/bin/Quorvash\"" "$prefix/share/applications/quorvash.desktop"
appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml >/dev/null
for page in tarvelin-cli quorvash-cli; do
  # The page documents every option --help lists.
  text=$(MANWIDTH=200 man -l "$prefix/share/man/man1/$page.1" 2>&1)
  for option in $("$prefix/bin/$page" --help | grep -oE '^ +(-[a-z], )?--[a-z-]+' | grep -oE -- '--[a-z-]+'); do
    grep -qF -- "$option" <<<"$text" || { echo "$page.1 does not document $option"; exit 1; }
  done
  # The completion offers the options and the settings keys.
  words=$(bash -c 'source "$1"; COMP_WORDS=(x --set "show\ l"); COMP_CWORD=2; _${2//-/_}; echo "${COMPREPLY[*]}"' _ \
            "$prefix/share/bash-completion/completions/$page" "$page")
  [ "$words" = 'show\ link=' ] || { echo "$page completion of --set gave: $words"; exit 1; }
done
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
