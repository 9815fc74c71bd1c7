#!/usr/bin/env bash
# Installs what is missing, builds Ordwell and starts it. Arguments are passed on to the program
# (folders to tick). The program starts its own extraction server when it first needs one.
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

exec "$build/ordwell" "$@"
