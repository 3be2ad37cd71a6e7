#!/usr/bin/env bash
# The demo show's music under Xvfb with the null audio output and the music trace: the first
# track is opened at the start and resumed by the first slide, the tracks follow in order and
# loop, the slide without music pauses the track and the next slide resumes it; SIGTERM during a
# track ends the show with exit 0 and leaves no temporary music file.
# usage: music_e2e.sh DEMO_SCR
set -euo pipefail
. "$(dirname "$0")/lib.sh"
cp "$1" "$work/Demo.scr"
export SHOWFORGE_AUDIO=null SHOWFORGE_TRACE=music
"$work/Demo.scr" /s 2>"$work/show.log" &
show=$!
pids+=($show)
opens() { grep -Eo '^music: open [0-9]+' "$work/show.log" | grep -Eo '[0-9]+$' | tr '\n' ' '; }
# Two tracks of 7 and 8 seconds with a pause of two ticks: the first comes again after about
# 19 seconds of playing; the fifth slide, the one without music, comes after about 25 seconds.
paused() { grep '^music:' "$work/show.log" | tr '\n' '|' | grep -q 'music: pause|music: resume|'; }
for _ in $(seq 600); do
  [[ "$(opens)" == "0 1 0 "* ]] && paused && break
  alive "$show" || fail "the show ended by itself"
  sleep 0.1
done
sleep 0.5
ls "$TMPDIR"/showforge-*/qel.wav >/dev/null 2>&1 || fail "no temporary music file while a track plays"
kill -TERM "$show"
waitgone "$show" 5 || fail "SIGTERM did not end the show during a track"
wait "$show" || fail "the exit code after SIGTERM was not 0"
[ -z "$(ls -A "$TMPDIR")" ] || fail "temporary files left behind: $(ls -AR "$TMPDIR")"
trace=$(grep '^music:' "$work/show.log" | tr '\n' '|')
echo "music trace: $trace"
[[ "$(opens)" == "0 1 0 "* ]] || fail "the tracks did not come in order and loop: $(opens)"
# The only process of the show plays its music: opened without playing at the start; the first
# slide resumes it.
[[ "$trace" == "music: the music plays here|music: open 0|music: resume|"* ]] || fail "the first track was not opened and then resumed"
# Every later track is opened after the previous one was closed, and played at once.
[[ "$trace" == *"music: close|music: open 1|music: play|"* ]] || fail "the second track did not follow the first"
[[ "$trace" == *"music: close|music: open 0|music: play|"* ]] || fail "the playlist did not loop"
# The slide without music ("Rings in 256 colours") pauses the track; the next slide resumes it.
[[ "$trace" == *"music: pause|music: resume|"* ]] || fail "no slide paused and resumed the music"
grep -q "passed over" "$work/show.log" && fail "a demo track could not be played"
echo "PASS"
