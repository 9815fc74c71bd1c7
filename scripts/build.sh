#!/usr/bin/env bash
# Configures and builds Ordwell into build/ (or $ORDWELL_BUILD_DIR) with Ninja.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORDWELL_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
