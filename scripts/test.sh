#!/usr/bin/env bash
# Installs what is missing, builds Ordwell with its tests and runs every test with ctest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
export ORDWELL_BUILD_DIR=${ORDWELL_BUILD_DIR:-$root/build}
"$root/scripts/build.sh" -DORDWELL_BUILD_TESTS=ON -DORDWELL_BUILD_BENCH=ON -DORDWELL_WARNINGS_AS_ERRORS=ON
cd "$ORDWELL_BUILD_DIR"
ctest --output-on-failure -j "$(nproc)" --timeout 600
