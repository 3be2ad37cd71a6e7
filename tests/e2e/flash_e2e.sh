#!/usr/bin/env bash
# A flash slide under Xvfb: a picture, a movie of a 320 x 120 stage whose frames turn from red to
# lime after two seconds (ffmpeg writes it: JPEG frames as bitmap-filled shapes) and another
# picture play in turn; the movie is shown whole ("show all") across the 640-pixel screen with
# grey bands above and below, loops, and ends by the movie's end rule; the next picture follows.
# usage: flash_e2e.sh SHOWFORGE_TOOL
set -euo pipefail
tool=$1
. "$(dirname "$0")/lib.sh"
command -v ffmpeg >/dev/null || { echo "SKIP: ffmpeg is not installed"; exit 77; }
export SHOWFORGE_AUDIO=null SHOWFORGE_TRACE=flash
convert -size 160x120 xc:yellow "$work/media/a.bmp"
convert -size 160x120 xc:magenta "$work/media/b.bmp"
ffmpeg -v error -f lavfi -i "color=c=red:s=320x120:r=10:d=2" -f lavfi -i "color=c=lime:s=320x120:r=10:d=2" \
  -filter_complex "[0][1]concat=n=2:v=1:a=0" -c:v mjpeg -q:v 2 -f swf "$work/media/movie.swf"
picture() { echo "{\"file\": \"media/$1.bmp\", \"FormatCode\": 1, \"BackgroundKinds\": \"0;\", \"RandomBackgroundColor\": false,
  \"ShowCaption\": false, \"ShowText\": false, \"EffectList\": \"\"}"; }
cat >"$work/manifest.json" <<JSON
{"header": {"ProjectName": "e2eflash", "DisplaySeconds": 1, "RandomOrder": false, "RandomPosition": false,
            "ScreenTransitionMode": 0, "FitMode": 3, "MenuMode": 0},
 "slides": [$(picture a),
            {"file": "media/movie.swf", "SlideKind": 1, "FlashScaleMode": 0, "FlashAlignMode": 0,
             "FlashBackgroundColor": 8421504, "FlashEndMode": 3},
            $(picture b)]}
JSON
"$tool" pack "$work/manifest.json" -o "$work/show.bin" >/dev/null
"$tool" info "$work/show.bin" | grep -q "Movie: *stage 320 x 120, 10 frames a second, 40 frames" ||
  fail "info does not tell the movie's stage, rate and frames"

. "$(dirname "$0")/shots.sh"
movie() {  # waits up to twenty seconds for the movie's frames in the middle of the screen
  for _ in $(seq 200); do
    [[ $(name "$(look 320 240)") =~ ^(red|lime)$ ]] && return 0
    sleep 0.1
  done
  return 1
}
"$work/show.bin" /s 2>"$work/show.log" &
show=$!
pids+=($show)
seen=() last="" shot=0 until=$((SECONDS + 40))
while [ $SECONDS -lt $until ]; do
  # Show all: the stage scaled by 2 to 640 x 240 at y 120, the slide's grey above and below.
  read -r middle first last_ above below < <(look 320 240 2 122 637 357 320 116 320 363)
  c=$(name "$middle")
  if [[ $c =~ ^(red|lime)$ ]]; then
    [ "$(name "$first")" = "$c" ] && [ "$(name "$last_")" = "$c" ] || fail "the movie does not fill 640 x 240 at (0, 120)"
    [ "$(name "$above")" = grey ] && [ "$(name "$below")" = grey ] ||
      fail "the grey bands of show all are not above and below the movie"
    if [ "$c" = lime ] && [ $shot = 0 ]; then shoot; cp "$work/now.png" "$work/flash.png"; shot=1; fi
  fi
  [[ $c =~ ^(black|grey)$ ]] || [ "$last" = "$c" ] || { seen+=("$c"); last=$c; }
  [ "$last" = magenta ] && break
done
echo "seen in turn: ${seen[*]}"
[[ "${seen[*]}" =~ ^yellow\ red\ lime(\ red)?\ magenta$ ]] || fail "the slides and the movie's frames did not come in order"
grep -q "^flash: play movie.swf: 40 frames, end mode 3" "$work/show.log" || fail "no trace of the movie"
kill -TERM "$show"
waitgone "$show" 5 || fail "SIGTERM did not end the show"
wait "$show" || fail "the exit code after SIGTERM was not 0"
[ -z "$(ls -A "$TMPDIR")" ] || fail "temporary files left behind: $(ls -AR "$TMPDIR")"

# SIGTERM while the movie plays: the flash window goes with the show, and the movie's temporary
# file with it.
"$work/show.bin" /s 2>"$work/show.log" &
show=$!
pids+=($show)
movie || fail "the movie did not come"
kill -TERM "$show"
waitgone "$show" 5 || fail "SIGTERM did not end the show during the movie"
wait "$show" || fail "the exit code after SIGTERM during the movie was not 0"
[ -z "$(ls -A "$TMPDIR")" ] || fail "temporary files left behind after the movie: $(ls -AR "$TMPDIR")"

# With a password, Escape during the movie brings the prompt over it; the password typed ends the
# show, asked once.
mkdir -p "$work/reg/HKEY_LOCAL_MACHINE/Software/Quillmoor"
printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Quillmoor\\e2eflash]\n"Enabled password"=dword:00000001\n"Pwd"="x"\n"Mouse Move"=dword:00000000\n' \
  >"$work/reg/HKEY_LOCAL_MACHINE/Software/Quillmoor/e2eflash.reg"
"$work/show.bin" /s 2>"$work/show.log" &
show=$!
pids+=($show)
movie || true  # the prompt is looked for below either way
xdotool key Escape
prompt=""
for _ in $(seq 150); do
  prompt=$(xdotool search --onlyvisible --name '^Screensaver Password$' 2>/dev/null | head -1) && [ -n "$prompt" ] && break
  sleep 0.1
done
[ -n "$prompt" ] || fail "Escape during the movie brought no password prompt"
sleep 0.3
import -window root "$work/prompt.png"
xdotool type x
xdotool key Return
waitgone "$show" 5 || fail "the right password did not end the show"
wait "$show" || fail "the exit code after the password was not 0"
[ -z "$(ls -A "$TMPDIR")" ] || fail "temporary files left behind after the password: $(ls -AR "$TMPDIR")"
[ -n "${SHOWFORGE_E2E_SHOTS:-}" ] && cp "$work/flash.png" "$work/prompt.png" "$SHOWFORGE_E2E_SHOTS"/
echo "PASS"
