#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang (libFuzzer, AddressSanitizer, UBSan) into
# build-fuzz/ (or $ORDWELL_FUZZ_BUILD_DIR) and runs each for SECONDS (default 20) on a temporary
# copy of its seeds in fuzz/corpus/<target>/ (the documents of ../shared/corpus join the
# extraction target's copy when that folder is there). Fails when a target reports a crash, a
# leak, undefined behaviour, a time-out or running out of memory; the input is kept in
# build-fuzz/findings/. Prints the executions each target reached.
#   scripts/fuzz.sh [SECONDS] [TARGET...]     e.g. scripts/fuzz.sh 60 extract_document
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
shift $(($# > 0 ? 1 : 0))
"$root/scripts/install-deps.sh"

build=${ORDWELL_FUZZ_BUILD_DIR:-$root/build-fuzz}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only" -DORDWELL_FUZZ=ON -DORDWELL_BUILD_TESTS=OFF \
  -DORDWELL_BUILD_BENCH=OFF -DORDWELL_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build "$build" --target ordwell_fuzzers -j "${ORDWELL_FUZZ_JOBS:-$(nproc)}"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in "$root"/fuzz/*_fuzz.cpp; do
    name=$(basename "$source" _fuzz.cpp)
    targets+=("$name")
  done
fi

# The working corpora and the targets' own files live in memory when /dev/shm allows it.
parent=${TMPDIR:-/tmp}
[ -d /dev/shm ] && [ -w /dev/shm ] && parent=/dev/shm
work=$(mktemp -d "$parent/ordwell-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
findings="$build/findings"
mkdir -p "$findings"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
symbolizer=$(command -v llvm-symbolizer-14 || true)
[ -n "$symbolizer" ] && export ASAN_SYMBOLIZER_PATH=$symbolizer

failed=()
printf '%-20s %12s  %s\n' target executions result
for name in "${targets[@]}"; do
  corpus="$work/corpus-$name"
  mkdir -p "$corpus" "$work/tmp-$name"
  cp "$root/fuzz/corpus/$name"/* "$corpus"/
  if [ "$name" = extract_document ] && [ -d "$root/../shared/corpus" ]; then
    find "$root/../shared/corpus" -maxdepth 1 -type f -size -100k ! -name '*.tsv' ! -name '*.md' \
      -exec cp {} "$corpus"/ \;
  fi
  log="$work/$name.log"
  rc=0
  TMPDIR="$work/tmp-$name" "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=30 -report_slow_units=30 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/$name-" "$corpus" >"$log" 2>&1 || rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  if [ $rc -eq 0 ]; then
    printf '%-20s %12s  %s\n' "$name" "${runs:-?}" ok
  else
    printf '%-20s %12s  %s\n' "$name" "${runs:-?}" "FAILED (exit $rc)"
    grep -E 'ERROR|SUMMARY|Test unit written|^    #[0-9]+ .* in ' "$log" | head -40 >&2 || tail -40 "$log" >&2
    failed+=("$name")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: ${failed[*]} found a problem; the inputs are in $findings" >&2
  exit 1
fi
