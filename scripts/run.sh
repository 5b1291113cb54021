#!/usr/bin/env bash
# Installs what is missing, builds Tarvelin and starts its window on the
# given address.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target Tarvelin
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display; under xvfb-run, or with QT_QPA_PLATFORM=offscreen, the window runs unseen" >&2
fi
exec ./build/bin/Tarvelin "$@"
