#!/usr/bin/env bash
# Installs what is missing, builds Ordwell and starts it. Arguments are passed on to the program
# (folders to tick). When nothing answers on port 9998, our extraction server runs beside it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
export ORDWELL_BUILD_DIR=${ORDWELL_BUILD_DIR:-$root/build}
"$root/scripts/build.sh" -DORDWELL_BUILD_TESTS=OFF -DORDWELL_BUILD_BENCH=OFF
build=$ORDWELL_BUILD_DIR

if [ ! -x "$build/ordwell" ]; then
  echo "Built into $build:"
  find "$build" -maxdepth 1 -type f \( -perm -u+x -o -name '*.a' \) -printf '  %f\n' | sort
  exit 0
fi

server_pid=""
if [ -x "$build/ordwell-extractd" ] && ! (exec 3<>/dev/tcp/127.0.0.1/9998) 2>/dev/null; then
  "$build/ordwell-extractd" --port 9998 2>>"${TMPDIR:-/tmp}/ordwell-extractd.log" &
  server_pid=$!
  trap 'kill "$server_pid" 2>/dev/null || true' EXIT
fi
"$build/ordwell" "$@"
