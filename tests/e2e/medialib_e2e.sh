#!/usr/bin/env bash
# The media library (libmpv) under Xvfb: a show of pictures alone never maps it; the demo maps
# it only after its first frame is on the screen, and then opens and resumes its first track;
# with the library missing, the demo shows one message box and goes on without music.
# usage: medialib_e2e.sh SHOWFORGE_TOOL DEMO_SCR
set -euo pipefail
tool=$1
. "$(dirname "$0")/lib.sh"
export SHOWFORGE_AUDIO=null SHOWFORGE_TRACE=show,music
mapped() { grep -c 'libmpv' "/proc/$1/maps" || true; }
waitlog() {  # pattern seconds
  for _ in $(seq $(($2 * 10))); do grep -q "$1" "$work/show.log" && return 0; sleep 0.1; done
  return 1
}
boxes() { message_boxes '^Demo\.scr$'; }
terminate() {
  kill -TERM "$1"
  waitgone "$1" 5 || fail "SIGTERM did not end the show $2"
  wait "$1" || fail "the exit code after SIGTERM $2 was not 0"
}

# 1. Two pictures, no music, no video: the library is never mapped, also after the slides.
convert -size 320x240 gradient:red-blue "$work/media/a.png"
convert -size 320x240 gradient:lime-black "$work/media/b.png"
slide() { echo "{\"file\": \"media/$1.png\", \"ShowCaption\": false, \"ShowText\": false, \"EffectList\": \"0;\", \"EffectSpeed\": 50}"; }
cat >"$work/pictures.json" <<JSON
{"header": {"ProjectName": "pictures", "DisplaySeconds": 1, "RandomOrder": false, "ScreenTransitionMode": 0},
 "slides": [$(slide a), $(slide b)]}
JSON
"$tool" pack "$work/pictures.json" -o "$work/pictures.bin" >/dev/null
"$work/pictures.bin" /s 2>"$work/show.log" &
show=$!
pids+=($show)
waitlog "first frame on the screen" 10 || fail "the pictures show drew no first frame"
waitlog "showforge: slide 1, " 10 || fail "the pictures show did not reach its second slide"
[ "$(mapped "$show")" -eq 0 ] || fail "a show without music or video mapped libmpv"
grep -q "media library" "$work/show.log" && fail "a show without music or video opened the media library"
terminate "$show" "of pictures"
echo "a show of pictures alone never maps libmpv"

# 2. The demo: the library is opened after the first frame, then the first track is opened and
# the first slide's music resumed.
cp "$2" "$work/Demo.scr"
"$work/Demo.scr" /s 2>"$work/show.log" &
show=$!
pids+=($show)
waitlog "^music: resume" 15 || fail "the demo's music was not resumed"
[ "$(mapped "$show")" -gt 0 ] || fail "the demo plays music without libmpv mapped"
order=$(grep -Eo "first frame on the screen|media library settled|^music: open 0" "$work/show.log" | tr '\n' '|')
[[ "$order" == "first frame on the screen|media library settled|music: open 0|"* ]] ||
  fail "the library was not opened after the first frame, before the first track: $order"
terminate "$show" "of the demo"
echo "the demo opens libmpv after its first frame and plays its music"

# 3. The library missing: one message box, and the show goes on without music.
SHOWFORGE_MPV_LIBRARY="$work/none/libmpv.so.2" "$work/Demo.scr" /s 2>"$work/show.log" &
show=$!
pids+=($show)
for _ in $(seq 150); do [ "$(boxes)" -ge 1 ] && break; sleep 0.1; done
[ "$(boxes)" -ge 1 ] || fail "no message box for the missing library"
sleep 0.3
import -window root "$work/missing.png"
xdotool key Return
seen=0
for _ in $(seq 40); do  # four seconds, in which the music timer tries the second track too
  [ "$(boxes)" -ge 1 ] && seen=$((seen + 1))
  sleep 0.1
done
[ "$seen" -eq 0 ] || fail "the missing library was told more than once"
# The demo's second slide is its flash title movie, which draws no transition: the third comes.
waitlog "showforge: slide 2, " 25 || fail "the show did not go on after the message"
alive "$show" || fail "the missing library ended the show"
grep -q "cannot be loaded" "$work/show.log" || fail "the tracks were not passed over for the missing library"
grep -q "the show goes on without music" "$work/show.log" || fail "the music was not given up"
[ "$(mapped "$show")" -eq 0 ] || fail "libmpv is mapped although it was named missing"
terminate "$show" "without its media library"
[ -n "${SHOWFORGE_E2E_SHOTS:-}" ] && cp "$work/missing.png" "$SHOWFORGE_E2E_SHOTS"/
echo "a missing libmpv is told once and the show goes on without music"
echo "PASS"
