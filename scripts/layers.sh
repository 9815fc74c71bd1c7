#!/usr/bin/env bash
# Prints how often the files of each source folder include a file of another folder
# ("from -> to: count"), and with --check fails when an include goes against the layers:
#   platform <- threads <- content, filesearch, selection, i18n, update <- search, preview, app <- gui, find
# A folder includes only folders of lower layers; a core folder (every one but gui and extractd)
# and find (ordwell-find, which runs without a display) include no QtGui or QtWidgets header; extractd, a program of its own, includes only itself.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
check=false
[ "${1:-}" = "--check" ] && check=true

declare -A rank=([platform]=0 [threads]=1 [content]=2 [filesearch]=2 [selection]=2 [i18n]=2 [update]=2
                 [search]=3 [preview]=3 [app]=3 [gui]=4 [find]=4)

# Header names of the QtGui and QtWidgets modules, read off the installed Qt.
qt_include=$(qmake6 -query QT_INSTALL_HEADERS 2>/dev/null || echo "/usr/include/$(gcc -dumpmachine 2>/dev/null)/qt6")
declare -A window_header=()
for module in QtGui QtWidgets; do
  [ -d "$qt_include/$module" ] || continue
  for header in "$qt_include/$module"/*; do window_header[${header##*/}]=$module; done
done
if $check && [ ${#window_header[@]} -eq 0 ]; then
  echo "layers: no QtGui or QtWidgets headers found under $qt_include" >&2
  exit 2
fi

declare -A count=()
violations=0
cd "$root/src"
# Only the include lines are read by the loop (grep finds them), so the check stays quick on a
# busy machine.
while IFS= read -r match; do
  file=${match%%:*}
  line=${match#*:}
  from=${file%%/*}
  if [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([a-z_]+)/ ]]; then
    to=${BASH_REMATCH[1]}
    [ "$to" = "$from" ] && continue
    count["$from -> $to"]=$(( ${count["$from -> $to"]:-0} + 1 ))
    allowed=false
    if [ "$from" != extractd ] && [ -n "${rank[$to]:-}" ] && [ "${rank[$to]}" -lt "${rank[$from]}" ]; then
      allowed=true
    fi
    if ! $allowed && $check; then
      echo "src/$file: includes a file of $to/, which is not below $from/" >&2
      violations=$((violations + 1))
    fi
  elif [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<(Qt[A-Za-z]+/)?([A-Za-z0-9_.]+)\> ]]; then
    module=${BASH_REMATCH[1]%/}
    header=${BASH_REMATCH[2]}
    if [ "$from" != gui ] && { [ "$module" = QtGui ] || [ "$module" = QtWidgets ] ||
         { [ -z "$module" ] && [ -n "${window_header[$header]:-}" ]; }; }; then
      if $check; then
        echo "src/$file: includes <${BASH_REMATCH[1]}$header>, a window header, outside gui/" >&2
        violations=$((violations + 1))
      fi
    fi
  fi
done < <(find . \( -name '*.h' -o -name '*.cpp' \) -print0 | sed -z 's|^\./||' | sort -z |
         xargs -0 grep -HE '^[[:space:]]*#[[:space:]]*include')

for pair in "${!count[@]}"; do echo "$pair: ${count[$pair]}"; done | sort
if $check; then
  if [ $violations -gt 0 ]; then
    echo "layers: $violations include(s) against the layers" >&2
    exit 1
  fi
  echo "layers: every include follows the layers"
fi
