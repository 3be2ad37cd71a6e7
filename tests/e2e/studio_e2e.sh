#!/usr/bin/env bash
# The studio as a new user meets it, under Xvfb: a folder of pictures (one damaged) opens with
# every slide's thumbnail and a mark for the damaged one; a caption typed for a slide and
# Build Screen Saver with a path typed into the file dialog give a show that carries the
# caption; F5 plays the show full screen and Escape ends it; slides are duplicated, deleted and
# saved by their keys; the built show opens again into a folder beside it and plays on its own.
# usage: studio_e2e.sh SHOWFORGE_STUDIO SHOWFORGE_TOOL
set -euo pipefail
studio=$1 tool=$2
E2E_SCREEN=1024x768x24
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/shots.sh"
export XDG_CONFIG_HOME=$work/config SHOWFORGE_TRACE=studio SHOWFORGE_AUDIO=null

# How many pixels of the screenshot have a colour (exactly).
count() { convert "$work/now.png" -fill black +opaque "$1" -fill white -opaque "$1" -format '%[fx:int(mean*w*h+0.5)]' info:; }
# Waits until the studio's log has a line.
waitlog() {  # pattern seconds
  for _ in $(seq $(($2 * 10))); do grep -q "$1" "$work/show.log" && return 0; sleep 0.1; done
  return 1
}

mkdir -p "$work/pics" "$work/out"
convert -size 240x180 xc:red "$work/pics/a1.png"
convert -size 240x180 xc:lime "$work/pics/a2.png"
convert -size 240x180 xc:blue "$work/pics/a10.png"
head -c 60 "$work/pics/a1.png" >"$work/pics/a3.png"
echo "notes" >"$work/pics/readme.txt"

"$studio" "$work/pics" >"$work/show.log" 2>&1 &
app=$!
# Without a window manager nothing gives the keyboard back to the window once a dialog has
# closed.
refocus() { xdotool search --pid "$app" --name "ShowForge Studio" windowfocus 2>/dev/null || true; sleep 0.3; }
pids+=($app)
waitlog "thumbnails: all shown" 30 || fail "the thumbnails did not all show in 30 seconds"
sleep 1
shoot
cp "$work/now.png" "${SHOWFORGE_E2E_SHOTS:-$work}/studio-folder.png" 2>/dev/null || true
# Three thumbnails of 160 by 120 in their colours, and the damaged file's dark red mark.
for c in '#FF0000' '#00FF00' '#0000FF'; do
  n=$(count "$c")
  ((n >= 160 * 120 - 200)) || fail "the thumbnail of $c shows $n pixels of it"
done
(($(count '#5A1414') > 2000)) || fail "no mark for the file that does not decode"

# Slide 2 (a2, the lime one) gets a caption: the list has the keyboard first, the caption's
# shortcut takes the cursor into its field.
xdotool mousemove 5 200
xdotool key Right
sleep 0.3
xdotool key alt+c
sleep 0.3
xdotool type --delay 20 "Hello studio"
sleep 0.5

# Ctrl+T opens the effect chooser from the caption's field too; its preview plays the effect
# into this slide's picture (lime), larger than the thumbnail (160 by 120).
xdotool key ctrl+t
lime=0
for _ in $(seq 30); do
  sleep 0.2
  shoot
  lime=$(count '#00FF00')
  ((lime > 30000)) && break
done
((lime > 30000)) || fail "Ctrl+T did not open the effect chooser with its preview ($lime lime pixels)"
cp "$work/now.png" "${SHOWFORGE_E2E_SHOTS:-$work}/studio-effects.png" 2>/dev/null || true
xdotool key Escape
refocus

# F5 plays the show full screen: the first slide is red; Escape ends it.
xdotool key F5
seen=""
for _ in $(seq 100); do
  shoot
  [ "$(name "$(pixel 512 384)")" = red ] && [ "$(count '#FF0000')" -gt 40000 ] && { seen=red; break; }
  sleep 0.1
done
[ "$seen" = red ] || fail "F5 did not play the show"
xdotool key Escape
for _ in $(seq 50); do pgrep -P "$app" >/dev/null || break; sleep 0.1; done
! pgrep -P "$app" >/dev/null || fail "Escape did not end the show"

# Build Screen Saver asks first, as a slide does not decode (Return: build all the same), then
# takes a path typed into Qt's own file dialog.
xdotool key ctrl+b
sleep 1
shoot
cp "$work/now.png" "${SHOWFORGE_E2E_SHOTS:-$work}/studio-question.png" 2>/dev/null || true
xdotool key Return
sleep 1.5
xdotool key ctrl+a
xdotool type --delay 10 "$work/out/Made.scr"
xdotool key Return
for _ in $(seq 100); do [ -s "$work/out/Made.scr" ] && break; sleep 0.1; done
[ -s "$work/out/Made.scr" ] || fail "Build Screen Saver wrote no show"
"$tool" info "$work/out/Made.scr" --json >"$work/info.json"
grep -q '"Caption": "Hello studio"' "$work/info.json" || fail "the built show does not carry the caption"
[ "$(grep -c '"FileName"' "$work/info.json")" = 4 ] || fail "the built show does not have the folder's four pictures"
shoot
cp "$work/now.png" "${SHOWFORGE_E2E_SHOTS:-$work}/studio-built.png" 2>/dev/null || true

slides() { grep -c '"file"' "$1"; }

# Ctrl+D duplicates the selected slide (clicked in the list), Ctrl+Down moves it, Ctrl+S saves
# the show as a manifest at a typed path; the Delete key takes the copy away again.
refocus
xdotool mousemove 100 120 click 1
sleep 0.3
xdotool key ctrl+d
sleep 0.3
# The copy is selected; Ctrl+Down moves it one place later, after a2.
xdotool key ctrl+Down
sleep 0.3
xdotool key ctrl+s
sleep 1.5
xdotool key ctrl+a
xdotool type --delay 10 "$work/out/show.json"
xdotool key Return
for _ in $(seq 50); do [ -s "$work/out/show.json" ] && break; sleep 0.1; done
[ -s "$work/out/show.json" ] || fail "Save wrote no manifest"
[ "$(slides "$work/out/show.json")" = 5 ] || fail "Ctrl+D did not duplicate the slide: $(cat "$work/out/show.json")"
order=$(grep -o '"file": "[^"]*"' "$work/out/show.json" | tr '\n' ' ')
[ "$order" = '"file": "../pics/a1.png" "file": "../pics/a2.png" "file": "../pics/a1.png" "file": "../pics/a3.png" "file": "../pics/a10.png" ' ] ||
  fail "the copy did not move after a2, or the paths are not relative to the manifest: $order"
grep -q '"Caption": "Hello studio"' "$work/out/show.json" || fail "the saved manifest lost the caption"
refocus
xdotool key Delete
sleep 0.3

# Quitting with a change that is not saved asks first; Discard ends the studio.
refocus
xdotool key ctrl+q
sleep 1
xdotool key alt+d
waitgone "$app" 10 || fail "the studio did not end after Discard"
! grep -Eq "ERROR: (Address|Leak)Sanitizer|runtime error" "$work/show.log" || fail "the sanitizers found faults"

# The built show opened again: its media go into the folder suggested beside it (made for the
# dialog, taken with Enter), and its slides show with their thumbnails and the caption.
"$studio" "$work/out/Made.scr" >>"$work/show.log" 2>&1 &
app=$!
pids+=($app)
for _ in $(seq 150); do [ "$(xdotool search --onlyvisible --pid "$app" --name "Extract" 2>/dev/null)" ] && break; sleep 0.1; done
sleep 1
xdotool key Return
for _ in $(seq 200); do [ -s "$work/out/Made/manifest.json" ] && break; sleep 0.1; done
[ -s "$work/out/Made/manifest.json" ] || fail "the show file was not opened into the folder beside it"
grep -q '"Caption": "Hello studio"' "$work/out/Made/manifest.json" || fail "the opened show lost the caption"
for _ in $(seq 50); do
  shoot
  (($(count '#FF0000') >= 160 * 120 - 200)) && break
  sleep 0.1
done
(($(count '#FF0000') >= 160 * 120 - 200)) || fail "the opened show does not show its first slide's thumbnail"
cp "$work/now.png" "${SHOWFORGE_E2E_SHOTS:-$work}/studio-reopened.png" 2>/dev/null || true
refocus
xdotool key ctrl+q
waitgone "$app" 10 || fail "the studio asked before it ended with nothing changed"

# The built show plays on its own: the first slide is red.
"$work/out/Made.scr" /s >>"$work/show.log" 2>&1 &
show=$!
pids+=($show)
seen=""
for _ in $(seq 100); do
  shoot
  [ "$(name "$(pixel 512 384)")" = red ] && { seen=red; break; }
  sleep 0.1
done
kill -TERM "$show"
waitgone "$show" 5 || fail "SIGTERM did not end the built show"
[ "$seen" = red ] || fail "the built show did not play"
echo "PASS"
