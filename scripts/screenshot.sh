#!/usr/bin/env bash
# Takes a screenshot of Ordwell after a search: starts a built program under a private X server
# (Xvfb) with a temporary home and XDG folders that hold a small sample tree, ticks that tree from
# the command line, types the text to find and presses Enter with xdotool, selects the first
# result so the preview shows its match, and saves the window as a PNG. Builds nothing; leaves
# nothing behind but the PNG.
#
# Usage: scripts/screenshot.sh [OUT.png] [BUILD_DIR]     (defaults: docs/screenshot.png, build/)
# Needs Debian's xvfb, xauth, imagemagick (import, convert) and xdotool:
#   apt-get install xvfb xauth imagemagick xdotool
# xdotool is not one of scripts/install-deps.sh's packages: only this script uses it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/screenshot.png}
build=${2:-$root/build}
program=$build/ordwell
width=1200
height=680

for tool in Xvfb xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing (see the comment at the top)" >&2; exit 1; }
done
[ -x "$program" ] || { echo "screenshot: no program at $program: build it first" >&2; exit 1; }

# A short folder name: the result list shows every path in full.
work=$(mktemp -d /tmp/ordwell.XXXXXX)
xvfb_pid=""
app_pid=""
cleanup() {
  set +e
  for pid in $app_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT

# A home of its own: settings, text cache and trash land here, never in the user's.
home=$work/alex
samples=$home/Documents/Projects
mkdir -p "$samples/invoices" "$samples/notes" "$home/.config" "$home/.cache" "$home/.local/share" "$work/tmp"
mkdir -m 700 "$work/runtime"
cat >"$samples/invoices/2024-03 Northwind.txt" <<'EOF'
Northwind Traders, 12 Harbour Road
Invoice 2024-031, 14 March 2024

Delivery of 40 oak shelves          1 240.00
Assembly on site                      310.00

Please pay the invoice within 30 days.
EOF
cat >"$samples/invoices/2024-04 Contoso.txt" <<'EOF'
Contoso Ltd.
Invoice 2024-047: maintenance of the heating system, April 2024.
The invoice is due on 15 May 2024.
EOF
cat >"$samples/notes/meeting.md" <<'EOF'
# Weekly meeting

- The Northwind invoice is paid.
- Order new shelves for the archive.
EOF
cat >"$samples/notes/todo.txt" <<'EOF'
Call the plumber
Send the quarterly report
Archive the paid invoice from Contoso
EOF
printf 'Holiday photos, summer 2023\n' >"$samples/notes/photos.txt"
for file in "$samples"/invoices/* "$samples"/notes/*; do touch -d '2024-05-02 09:30' "$file"; done

# A private X server on a display it picks itself; -displayfd tells which once it listens.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { cat "$work/xvfb.log"; echo "screenshot: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(cat "$work/display")

# English, and the version check pointed at a loopback port where nothing listens.
env -i PATH="$PATH" DISPLAY="$DISPLAY" HOME="$home" XDG_CONFIG_HOME="$home/.config" \
  XDG_CACHE_HOME="$home/.cache" XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$work/runtime" \
  TMPDIR="$work/tmp" \
  LANG=C.UTF-8 LANGUAGE=en QT_QPA_PLATFORM=xcb ORDWELL_VENDOR_URL=http://127.0.0.1:9 \
  "$program" "$samples" >"$work/ordwell.log" 2>&1 &
app_pid=$!

window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Ordwell' | head -n 1) ||
  { cat "$work/ordwell.log"; echo "screenshot: the window did not appear" >&2; exit 1; }
# No window manager: place the window on the whole screen and give it the keyboard.
xdotool windowmove --sync "$window" 0 0
xdotool windowsize --sync "$window" "$width" "$height"
xdotool windowfocus --sync "$window"

# Ctrl+F goes to "Text to find:"; Enter starts the search, which ends with the result list focused.
xdotool key --window "$window" --clearmodifiers ctrl+f
xdotool type --window "$window" --delay 20 invoice
xdotool key --window "$window" Return
sleep 2
# The first result, with its preview and first match.
xdotool key --window "$window" Down
sleep 1

mkdir -p "$(dirname "$out")"
import -window "$window" "$work/shot.png"
# A palette of 256 colours keeps the window's text sharp and the file small.
convert "$work/shot.png" -strip -colors 256 -define png:compression-level=9 "$out"
echo "saved $out ($(stat -c %s "$out") bytes)"
