#!/usr/bin/env bash
# Builds the tests of the threaded parts (worker pool and hand-over, walker and check pool, result
# list, selection list, folder tree, search session, text cache, extraction service) with
# ThreadSanitizer into build-tsan/ (or $ORDWELL_TSAN_BUILD_DIR) and runs them; any report fails
# the run. Qt is not built with ThreadSanitizer: tests/tsan.supp silences reports inside Qt only.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build=${ORDWELL_TSAN_BUILD_DIR:-$root/build-tsan}
targets=(threads_test file_search_test file_list_test file_list_refresh_test selection_list_test
  selection_concurrency_test shell_tree_model_test search_session_test text_cache_test
  extraction_service_test)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORDWELL_TSAN=ON \
  -DORDWELL_BUILD_TESTS=ON -DORDWELL_BUILD_BENCH=OFF -DORDWELL_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$root/tests/tsan.supp}
export QT_QPA_PLATFORM=offscreen
failed=()
for target in "${targets[@]}"; do
  exe=$(find "$build/tests" -name "$target" -type f -executable | head -n 1)
  echo "== $target"
  "$exe" --gtest_brief=1 || failed+=("$target")
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "ThreadSanitizer run failed: ${failed[*]}" >&2
  exit 1
fi
