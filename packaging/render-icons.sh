#!/usr/bin/env bash
# Renders the application icon icons/ordwell.svg into the PNG sizes of the hicolor theme
# (icons/ordwell-<size>.png, committed). Run again after changing the SVG. Needs rsvg-convert.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" --keep-aspect-ratio \
    "$here/icons/ordwell.svg" --output "$here/icons/ordwell-$size.png"
done
