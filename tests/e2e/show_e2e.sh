#!/usr/bin/env bash
# The real program under Xvfb: the packed show plays full screen with its slides in order, a
# second copy ends at once, SIGTERM leaves no temporary files, and a preview draws only inside
# its X11 host window and ends when the host is destroyed.
# usage: show_e2e.sh SHOWFORGE SHOWFORGE_TOOL HOSTWINDOW
set -euo pipefail
tool=$2 host=$3  # $1, the bare player, is what pack copies
. "$(dirname "$0")/lib.sh"
export SHOWFORGE_TRACE=1

# A show of three solid slides, stretched over the screen, one second each, in order, no effect.
for c in red lime blue; do convert -size 160x120 "xc:$c" "$work/media/$c.bmp"; done
slide() { echo "{\"file\": \"media/$1.bmp\", \"FormatCode\": 1, \"BackgroundKinds\": \"0;\", \"RandomBackgroundColor\": false,
  \"ShowCaption\": false, \"ShowText\": false, \"EffectList\": \"\"}"; }
cat >"$work/manifest.json" <<JSON
{"header": {"ProjectName": "e2e", "DisplaySeconds": 1, "RandomOrder": false, "RandomPosition": false,
            "ScreenTransitionMode": 0, "FitMode": 3},
 "slides": [$(slide red), $(slide lime), $(slide blue)]}
JSON
"$tool" pack "$work/manifest.json" -o "$work/show.bin" >/dev/null

pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -Eo '#[0-9A-F]{6}' | head -1; }

# Full screen: sample the middle of the screen for nine seconds. Between two slides the new
# slide's (black) background stands alone for one tick before its picture comes: black samples
# are not counted.
"$work/show.bin" /s 2>"$work/show.log" &
show=$!
pids+=($show)
seen=()
for _ in $(seq 36); do
  p=$(pixel 320 240)
  [ "$p" = "#000000" ] || { [ "${#seen[@]}" -gt 0 ] && [ "${seen[-1]}" = "$p" ]; } || seen+=("$p")
  sleep 0.25
done
echo "colours seen in turn: ${seen[*]}"
order=" ${seen[*]} "
[[ $order == " #FF0000 #00FF00 #0000FF #FF0000 "* ]] || fail "the slides did not come in order"
import -window root "$work/full.png"

# A second copy ends at once, silently, and the first goes on.
start=$(date +%s%N)
timeout 10 "$work/show.bin" /s || fail "the second copy failed"
[ $(( ($(date +%s%N) - start) / 1000000 )) -lt 3000 ] || fail "the second copy did not end at once"
alive "$show" || fail "the first copy ended"

# SIGTERM ends the show and leaves no temporary files.
ls "$TMPDIR" | grep -q showforge || fail "the show keeps no private temporary folder"
kill -TERM "$show"
waitgone "$show" 5 || fail "SIGTERM did not end the show"
wait "$show" || fail "the show's exit code after SIGTERM was not 0"
[ -z "$(ls -A "$TMPDIR")" ] || fail "temporary files left behind: $(ls -A "$TMPDIR")"
grep -q "first frame on the screen" "$work/show.log" || fail "no first frame"

# Preview inside a host window at (100, 80), 200 x 150; the root around it stays black.
"$host" 100 80 200 150 >"$work/host.id" &
hostpid=$!
pids+=($hostpid)
for _ in $(seq 50); do [ -s "$work/host.id" ] && break; sleep 0.1; done
"$work/show.bin" /p "$(cat "$work/host.id")" 2>>"$work/show.log" &
preview=$!
pids+=($preview)
for _ in $(seq 50); do
  inside=$(pixel 200 155)
  [[ $inside =~ ^#(FF0000|00FF00|0000FF)$ ]] && break
  sleep 0.2
done
outside=$(pixel 60 60) below=$(pixel 200 300)
echo "preview: inside $inside, outside $outside and $below"
[[ $inside =~ ^#(FF0000|00FF00|0000FF)$ ]] || fail "the preview does not show a slide inside its host"
[ "$outside" = "#000000" ] && [ "$below" = "#000000" ] || fail "the preview drew outside its host"
import -window root "$work/preview.png"
# The preview follows its host's new size.
xdotool windowsize "$(cat "$work/host.id")" 300 200
for _ in $(seq 50); do
  grown=$(pixel 380 265)
  [[ $grown =~ ^#(FF0000|00FF00|0000FF)$ ]] && break
  sleep 0.2
done
[[ $grown =~ ^#(FF0000|00FF00|0000FF)$ ]] || fail "the preview did not follow its host's size ($grown)"
kill "$hostpid"
waitgone "$preview" 5 || fail "the preview did not end with its host"
[ -z "$(ls -A "$TMPDIR")" ] || fail "the preview left temporary files: $(ls -A "$TMPDIR")"

# --show: the player plays the show that another file carries (here behind /bin/true, and one that
# is only a project), without running that file, from the third slide on.
: >"$work/empty"
"$tool" rehost "$work/show.bin" -o "$work/other.bin" --player /bin/true >/dev/null
"$tool" rehost "$work/show.bin" -o "$work/bare.bin" --player "$work/empty" >/dev/null
for carrier in other.bin bare.bin; do
  "$1" --show "$work/$carrier" --slide 2 2>"$work/carried.log" &
  carried=$!
  pids+=($carried)
  for _ in $(seq 50); do [ "$(pixel 320 240)" = "#0000FF" ] && break; sleep 0.1; done
  first=$(pixel 320 240)
  [ "$carrier" = other.bin ] && import -window root "$work/carried.png"
  for _ in $(seq 50); do grep -q "showforge: slide" "$work/carried.log" && break; sleep 0.1; done
  kill -TERM "$carried"
  waitgone "$carried" 5 || fail "the show of $carrier did not end on SIGTERM"
  echo "$carrier from slide 2: $first; $(grep -m1 "showforge: slide" "$work/carried.log" || true)"
  [ "$first" = "#0000FF" ] || fail "the show of $carrier did not start with its third slide ($first)"
  grep -m1 "showforge: slide" "$work/carried.log" | grep -q "slide 2," || fail "the trace of $carrier does not start at slide 2"
done
# A slide the show does not have, or a file that carries no show, is told and ends the program
# (offscreen: the message goes to standard error rather than into a box).
QT_QPA_PLATFORM=offscreen "$1" --show "$work/other.bin" --slide 3 2>"$work/bad.log" && fail "--slide 3 of three slides was taken"
grep -q "no slide 3" "$work/bad.log" || fail "no message for a slide the show lacks: $(cat "$work/bad.log")"
QT_QPA_PLATFORM=offscreen "$1" --show "$work/empty" 2>"$work/bad.log" && fail "a file without a show was taken"
grep -q "carries no show" "$work/bad.log" || fail "no message for a file without a show: $(cat "$work/bad.log")"

[ -n "${SHOWFORGE_E2E_SHOTS:-}" ] && cp "$work/full.png" "$work/preview.png" "$work/carried.png" "$SHOWFORGE_E2E_SHOTS"/
echo "PASS"
