#!/usr/bin/env bash
# Draws the program's icons (a key cap with an arrow jumping off it) and writes
# jumpdeck.ico (32 and 16 pixels, the window's large icon) and small.ico (16
# pixels). The .ico files are checked in; run this only to change the picture.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for size in 32 16; do
  /usr/bin/convert -size 48x48 xc:none \
    -fill '#2b63c6' -draw 'roundrectangle 2,2 45,45 9,9' \
    -fill '#ffffff' -draw 'roundrectangle 9,27 39,39 3,3' \
    -fill '#ffd23f' -draw 'polygon 24,5 36,19 28,19 28,24 20,24 20,19 12,19' \
    -resize ${size}x${size} "$work/icon$size.png"
done
/usr/bin/convert "$work/icon32.png" "$work/icon16.png" jumpdeck.ico
/usr/bin/convert "$work/icon16.png" small.ico
