#!/usr/bin/env bash
# The show as a Linux desktop runs it, under Xvfb: as an XScreenSaver hack (-root on the root
# window, and -root inside the saver window XSCREENSAVER_WINDOW names), where input does not end
# it and SIGTERM does; and on a screen scaled by two (QT_SCALE_FACTOR=2), where it still covers
# every device pixel and a picture at its original size keeps one pixel a device pixel.
# usage: desktop_e2e.sh SHOWFORGE_TOOL HOSTWINDOW
set -euo pipefail
tool=$1 host=$2
. "$(dirname "$0")/lib.sh"

pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -Eo '#[0-9A-F]{6}' | head -1; }
# How many pixels of row y of a screenshot are the colour c.
count() { convert "$1" -crop "640x1+0+$2" -depth 8 txt:- 2>/dev/null | grep -c "$3" || true; }
waitfor() {  # x y colour: the pixel at (x, y) turns to colour within ten seconds
  for _ in $(seq 100); do [ "$(pixel "$1" "$2")" = "$3" ] && return 0; sleep 0.1; done
  return 1
}
terminate() {  # pid what
  kill -TERM "$1"
  waitgone "$1" 5 || fail "SIGTERM did not end $2"
  wait "$1" || fail "the exit code after SIGTERM $2 was not 0"
  [ -z "$(ls -A "$TMPDIR")" ] || fail "temporary files left behind $2: $(ls -A "$TMPDIR")"
}
pack() {  # name fit picture: a show of one slide of that picture at that fit mode
  cat >"$work/$1.json" <<JSON
{"header": {"ProjectName": "$1.scr", "DisplaySeconds": 1, "RandomOrder": false, "RandomPosition": false,
            "ScreenTransitionMode": 0, "FitMode": $2},
 "slides": [{"file": "media/$3", "FormatCode": 1, "BackgroundKinds": "0;", "RandomBackgroundColor": false,
             "ShowCaption": false, "ShowText": false, "EffectList": ""}]}
JSON
  "$tool" pack "$work/$1.json" -o "$work/$1.scr" >/dev/null
}
# A picture larger than the screen (960 x 720): a 60-pixel green frame around red. At its original size it
# is centred and cropped (red at the screen's edge); shrunk to fit, the frame shows.
convert -size 840x600 xc:red -bordercolor lime -border 60 "$work/media/framed.bmp"
convert -size 100x100 xc:red "$work/media/small.bmp"
pack framed 0 framed.bmp
pack small 0 small.bmp
pack stretched 3 small.bmp

# 1. -root alone: the show covers the root window; SIGTERM ends it.
"$work/stretched.scr" -root 2>"$work/show.log" &
show=$!
pids+=($show)
waitfor 320 240 "#FF0000" || fail "-root shows nothing"
for xy in "0 0" "639 0" "0 479" "639 479"; do
  [ "$(pixel $xy)" = "#FF0000" ] || fail "-root does not cover the root window at ($xy): $(pixel $xy)"
done
terminate "$show" "as -root"
echo "-root covers the root window and ends on SIGTERM"

# 2. -root with XSCREENSAVER_WINDOW: inside that window (as large as the screen), laid out as the
# full screen shows it; a key and a click do not end it, SIGTERM does.
"$host" 0 0 640 480 >"$work/host.id" &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/host.id" ] && break; sleep 0.1; done
XSCREENSAVER_WINDOW=$(cat "$work/host.id") "$work/framed.scr" -root 2>"$work/show.log" &
show=$!
pids+=($show)
waitfor 320 240 "#FF0000" || fail "the show did not come in XScreenSaver's window"
[ "$(pixel 2 240)" = "#FF0000" ] || fail "the saver window got the preview's layout: $(pixel 2 240) at the left edge"
import -window root "$work/saver.png"
xdotool mousemove 100 100 click 1 key Escape
sleep 1
alive "$show" || fail "input ended the show in XScreenSaver's window"
terminate "$show" "in XScreenSaver's window"
# A small host (a settings dialog's preview) still gets the preview's layout: the frame shows.
"$host" 20 20 320 240 >"$work/small.id" &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/small.id" ] && break; sleep 0.1; done
XSCREENSAVER_WINDOW=$(cat "$work/small.id") "$work/framed.scr" -root 2>"$work/show.log" &
show=$!
pids+=($show)
waitfor 180 140 "#FF0000" || fail "the show did not come in the small host"
[ "$(pixel 22 140)" = "#00FF00" ] || fail "the small host did not get the preview's layout: $(pixel 22 140)"
terminate "$show" "in the small host"
echo "inside XSCREENSAVER_WINDOW: the full layout in a screen-sized window, the preview's in a small one"

# 3. A screen scaled by two: the show covers all 640 x 480 device pixels, and the 100-pixel
# picture at its original size is 100 device pixels wide.
export QT_SCALE_FACTOR=2
"$work/stretched.scr" /s 2>"$work/show.log" &
show=$!
pids+=($show)
waitfor 320 240 "#FF0000" || fail "the scaled show shows nothing"
for xy in "0 0" "639 0" "0 479" "639 479"; do
  [ "$(pixel $xy)" = "#FF0000" ] || fail "the scaled show does not cover the device pixel ($xy): $(pixel $xy)"
done
terminate "$show" "at scale 2"
"$work/small.scr" /s 2>"$work/show.log" &
show=$!
pids+=($show)
waitfor 320 240 "#FF0000" || fail "the scaled show of the small picture shows nothing"
sleep 0.5
import -window root "$work/scaled.png"
wide=$(count "$work/scaled.png" 240 "#FF0000")
[ "$wide" = 100 ] || fail "at scale 2 the 100-pixel picture is $wide device pixels wide"
terminate "$show" "at scale 2 with the small picture"
unset QT_SCALE_FACTOR
[ -n "${SHOWFORGE_E2E_SHOTS:-}" ] && cp "$work/saver.png" "$work/scaled.png" "$SHOWFORGE_E2E_SHOTS"/
echo "PASS"
