#!/usr/bin/env bash
# Fails when a C++ file of the repository differs from what .clang-format makes of it, and lists
# those files. With --fix, formats them in place instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
formatter=${CLANG_FORMAT:-clang-format}
if ! command -v "$formatter" >/dev/null; then
  echo "check-format: $formatter is not installed (scripts/install-deps.sh installs it)" >&2
  exit 2
fi
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  "$formatter" -i "${files[@]}"
  exit 0
fi
differing=()
for file in "${files[@]}"; do
  if ! "$formatter" --dry-run --Werror "$file" >/dev/null 2>&1; then
    differing+=("$file")
  fi
done
if [ ${#differing[@]} -gt 0 ]; then
  printf '%s\n' "${differing[@]}" >&2
  echo "check-format: ${#differing[@]} file(s) differ from .clang-format; run scripts/check-format.sh --fix" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files follow .clang-format"
