#!/usr/bin/env bash
# Starts Capslate.exe on the test display as a user would, takes a screenshot of its main window
# and checks what the user sees: the window's size, and that the Japanese status text is drawn with
# real glyphs. Missing glyphs all draw as the same box, so the text's 12-pixel tiles would repeat;
# real text gives nearly every tile a different picture.
#   screenshot_check.sh CAPSLATE_EXE OUTPUT_PNG
set -u
exe=$1
out=$2
loader=${WINELOADER:-/usr/lib/wine/wine64}
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cp "$exe" "$folder/Capslate.exe"   # its settings file goes beside it, not into the build
"$loader" "$folder/Capslate.exe" </dev/null >/dev/null 2>&1 &
pid=$!

window=
for _ in $(seq 1 150); do
  window=$(xdotool search --onlyvisible --name '^Capslate!!$' 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "FAIL: the main window did not appear"
  kill "$pid" 2>/dev/null
  exit 1
fi
sleep 1
import -display "$DISPLAY" -window "$window" "$out"
"$loader" taskkill /im Capslate.exe </dev/null >/dev/null 2>&1
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill "$pid" 2>/dev/null

status=0
size=$(identify -format '%wx%h' "$out")
if [ "$size" != "520x399" ]; then
  echo "FAIL: screenshot is $size, expected the 520x399 window"
  status=1
fi
# The status line's text: 240 x 14 pixels, 19 pixels above the window's bottom edge.
height=${size#*x}
tiles=$(convert "$out" -crop "240x14+4+$((height - 18))" +repage -crop 12x14 +repage +adjoin \
          -format '%#\n' info: | sort -u | wc -l)
if [ "$tiles" -lt 12 ]; then
  echo "FAIL: the status text has only $tiles different glyph tiles out of 20: missing glyphs?"
  status=1
fi
if [ ! -f "$folder/Capslate.INI" ]; then
  echo "FAIL: closing the window did not write the settings file"
  status=1
fi
[ $status -eq 0 ] && echo "screenshot $size, $tiles different glyph tiles, settings written"
exit $status
