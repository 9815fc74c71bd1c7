#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/ (or
# $ORDWELL_ASAN_BUILD_DIR) and runs them; any report fails the run. The packaging test is left
# out (it builds the Debian package, which a sanitized build is not).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build=${ORDWELL_ASAN_BUILD_DIR:-$root/build-asan}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORDWELL_SANITIZE=ON \
  -DORDWELL_BUILD_TESTS=ON -DORDWELL_BUILD_BENCH=OFF -DORDWELL_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
# Qt keeps process-lifetime allocations that the leak checker would report; leaks are not checked.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 900 -E '^packaging\.'
