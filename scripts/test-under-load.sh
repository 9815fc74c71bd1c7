#!/usr/bin/env bash
# Runs the whole test suite RUNS times in a row (default 5) with four tests at once while two busy
# loops keep both cores loaded, to find tests that depend on timing. Expects a build in build/ (or
# $ORDWELL_BUILD_DIR; scripts/test.sh makes one). Not part of CI. Prints each run's failures and
# exits non-zero when any run failed. Each run's whole output stays in <build>/under-load/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORDWELL_BUILD_DIR:-$root/build}
runs=${1:-5}
busy=()
stop_busy() { [ ${#busy[@]} -eq 0 ] || kill "${busy[@]}" 2>/dev/null || true; }
trap stop_busy EXIT
for _ in 1 2; do
  (while :; do :; done) &
  busy+=($!)
done
logs=$build/under-load
mkdir -p "$logs"
failures=0
for run in $(seq 1 "$runs"); do
  log=$logs/run$run.log
  echo "== run $run of $runs (load $(cut -d' ' -f1-3 /proc/loadavg))"
  if ctest --test-dir "$build" -j 4 --timeout 900 --output-on-failure >"$log" 2>&1; then
    tail -n 3 "$log"
  else
    failures=$((failures + 1))
    sed -n '/tests failed out of/,$p' "$log"
    echo "(the whole output: $log)"
  fi
done
echo "$failures of $runs runs had failures"
[ "$failures" -eq 0 ]
