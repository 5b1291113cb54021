#!/usr/bin/env bash
# Builds and starts Tarvelin on the given address (in a terminal for now).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec ./build/bin/tarvelin-cli "$@"
