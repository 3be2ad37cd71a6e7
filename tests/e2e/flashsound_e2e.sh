#!/usr/bin/env bash
# A flash slide with a soundtrack under Xvfb: ffmpeg writes a movie of a second with MP3 sound
# streamed with its frames; between two pictures of a show with music, the movie's stream sounds
# (trace) while the show's music is paused, and the music resumes once the movie has ended.
# usage: flashsound_e2e.sh SHOWFORGE_TOOL
set -euo pipefail
tool=$1
. "$(dirname "$0")/lib.sh"
command -v ffmpeg >/dev/null || { echo "SKIP: ffmpeg is not installed"; exit 77; }
[[ "$(ffmpeg -hide_banner -encoders 2>/dev/null)" == *libmp3lame* ]] || { echo "SKIP: ffmpeg has no MP3 encoder"; exit 77; }
export SHOWFORGE_AUDIO=null SHOWFORGE_TRACE=flash,music
convert -size 160x120 xc:yellow "$work/media/a.bmp"
convert -size 160x120 xc:magenta "$work/media/b.bmp"
ffmpeg -v error -f lavfi -i "color=c=blue:s=160x120:r=10:d=1" -f lavfi -i "sine=frequency=440:sample_rate=22050:duration=1" \
  -c:v mjpeg -q:v 5 -c:a libmp3lame -b:a 32k -f swf "$work/media/movie.swf"
ffmpeg -v error -f lavfi -i "sine=frequency=220:sample_rate=22050:duration=20" "$work/media/tune.wav"
picture() { echo "{\"file\": \"media/$1.bmp\", \"FormatCode\": 1, \"BackgroundKinds\": \"0;\", \"RandomBackgroundColor\": false,
  \"ShowCaption\": false, \"ShowText\": false, \"EffectList\": \"\"}"; }
cat >"$work/manifest.json" <<JSON
{"header": {"ProjectName": "e2eflashsound", "DisplaySeconds": 1, "RandomOrder": false, "RandomPosition": false,
            "ScreenTransitionMode": 0, "FitMode": 3, "MenuMode": 0, "LoopMusic": true},
 "music": ["media/tune.wav"],
 "slides": [$(picture a),
            {"file": "media/movie.swf", "SlideKind": 1, "FlashScaleMode": 0, "FlashAlignMode": 0,
             "FlashBackgroundColor": 8421504, "FlashEndMode": 3},
            $(picture b)]}
JSON
"$tool" pack "$work/manifest.json" -o "$work/show.bin" >/dev/null
"$work/show.bin" /s 2>"$work/show.log" &
show=$!
pids+=($show)
trace() { grep -E '^(flash|music):' "$work/show.log" | tr '\n' '|'; }
# The movie's stream, then the music resumed after it: within twenty seconds.
for _ in $(seq 200); do
  [[ "$(trace)" == *"flash: sound stream|"*"music: resume|"* ]] && break
  alive "$show" || fail "the show ended by itself"
  sleep 0.1
done
kill -TERM "$show"
waitgone "$show" 5 || fail "SIGTERM did not end the show"
wait "$show" || fail "the exit code after SIGTERM was not 0"
t=$(trace)
echo "trace: $t"
# The pause is a message the slide posts to the window as the movie starts, so it may come on
# either side of the movie's own line; what counts is that it comes before the movie sounds.
[[ "$t" == *"flash: play movie.swf"* && "$t" == *"music: pause|"*"flash: sound stream|"* ]] ||
  fail "the movie's sound did not start while the music was paused"
[[ "$t" == *"flash: sound stream|"*"music: resume|"* ]] || fail "the music did not resume after the movie"
grep -q "does not play\|passed over" "$work/show.log" && fail "the movie's sound could not be played"
[ -z "$(ls -A "$TMPDIR")" ] || fail "temporary files left behind: $(ls -AR "$TMPDIR")"
echo "PASS"
