#!/usr/bin/env bash
# Installs the Debian packages that the build and the tests need; with --bench
# also those of the crawl benchmarks (bench/*.sh call it so). openbox and
# wmctrl maximise a window under Xvfb for the screenshots.
# Quick when everything is there already. Recommended packages are left out:
# they would double what is installed and nothing here needs them.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libcurl4-openssl-dev zlib1g-dev libpng-dev libxml2-dev
  qt6-base-dev qt6-image-formats-plugins
  qt6-webengine-dev
  googletest libgtest-dev libgmock-dev
  libcpp-httplib-dev openssl ca-certificates
  xdg-utils desktop-file-utils appstream man-db fonts-dejavu-core fonts-liberation2
  xvfb xauth imagemagick xdotool
  openbox wmctrl
  python3
  dbus-daemon
  fuse fusefat dosfstools exfat-fuse exfatprogs
)
if [ "${1:-}" = --bench ]; then
  packages+=(nginx-light wget wget2 time)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
