#!/bin/sh
# The window as the README shows it:  picture_test.sh EXE SOURCE_DIR OUT_DIR PREFIX
# Jumpdeck started in a fresh folder and photographed by tools/window-shot, as
# tools/run made docs/screenshot.png, must match that picture in every pixel.
# A difference leaves the new picture and a difference image in OUT_DIR.
# Another Wine draws the same window with other fonts and lines, so the test
# compares only under the Wine that docs/screenshot.wine names, and is skipped
# (code 77) under any other.
wine=$(wine --version 2>/dev/null)
if [ "$wine" != "$(cat "$2/docs/screenshot.wine")" ]; then
  echo "the README's picture was taken under $(cat "$2/docs/screenshot.wine"), this is $wine: not compared"
  exit 77
fi
rm -rf "$3" && mkdir -p "$3" || exit 1
"$2/tools/window-shot" "$1" "$3/folder" "$3/window.png" "$4"
shot=$?
if ! compare -metric AE "$2/docs/screenshot.png" "$3/window.png" "$3/difference.png"; then
  echo " pixels differ: see $3/window.png and $3/difference.png"
  exit 1
fi
echo " pixels differ"
exit $shot
