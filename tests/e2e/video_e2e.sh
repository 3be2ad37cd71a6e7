#!/usr/bin/env bash
# A video slide under Xvfb: a picture, a clip whose frames change colour (red, lime, blue, two
# seconds each) and another picture play in turn; the clip stands at the size of its size mode
# (half the screen's width) in the middle of its slide's grey background, its frames in order;
# the next picture follows after it ends. Then two clips in a row: the second slide's panel shows
# nothing of the first clip.
# usage: video_e2e.sh SHOWFORGE_TOOL
set -euo pipefail
tool=$1
. "$(dirname "$0")/lib.sh"
command -v ffmpeg >/dev/null || { echo "SKIP: ffmpeg is not installed"; exit 77; }
export SHOWFORGE_AUDIO=null SHOWFORGE_TRACE=video
convert -size 160x120 xc:yellow "$work/media/a.bmp"
convert -size 160x120 xc:magenta "$work/media/b.bmp"
ffmpeg -v error -f lavfi -i "color=c=red:s=320x240:r=25:d=2" -f lavfi -i "color=c=lime:s=320x240:r=25:d=2" \
  -f lavfi -i "color=c=blue:s=320x240:r=25:d=2" -filter_complex "[0][1][2]concat=n=3:v=1:a=0" -pix_fmt yuv420p \
  "$work/media/clip.mp4"
picture() { echo "{\"file\": \"media/$1.bmp\", \"FormatCode\": 1, \"BackgroundKinds\": \"0;\", \"RandomBackgroundColor\": false,
  \"ShowCaption\": false, \"ShowText\": false, \"EffectList\": \"\"}"; }
cat >"$work/manifest.json" <<JSON
{"header": {"ProjectName": "e2evideo", "DisplaySeconds": 1, "RandomOrder": false, "RandomPosition": false,
            "ScreenTransitionMode": 0, "FitMode": 3},
 "slides": [$(picture a),
            {"file": "media/clip.mp4", "SlideKind": 2, "VideoSizeMode": 3, "BackgroundKinds": "0;",
             "RandomBackgroundColor": false, "SolidColor": 8421504, "ShowCaption": false, "ShowText": false},
            $(picture b)]}
JSON
"$tool" pack "$work/manifest.json" -o "$work/show.bin" >/dev/null
"$tool" info "$work/show.bin" | grep -q "Clip: *320 x 240, 6.000 s" || fail "info does not tell the clip's size and length"

. "$(dirname "$0")/shots.sh"
"$work/show.bin" /s 2>"$work/show.log" &
show=$!
pids+=($show)
seen=() last="" shot=0 until=$((SECONDS + 40))
while [ $SECONDS -lt $until ]; do
  # The middle; the clip's corners (160, 120) and (479, 358); its grey slide around them.
  read -r middle first last_ before after < <(look 320 240 160 120 479 358 159 119 480 359)
  c=$(name "$middle")
  if [[ $c =~ ^(red|lime|blue)$ ]]; then
    [ "$(name "$first")" = "$c" ] && [ "$(name "$last_")" = "$c" ] ||
      fail "the clip is not at (160, 120) with 320 x 239 pixels"
    [ "$(name "$before")" = grey ] && [ "$(name "$after")" = grey ] ||
      fail "the clip's slide background is not around it"
    if [ "$c" = lime ] && [ $shot = 0 ]; then shoot; cp "$work/now.png" "$work/video.png"; shot=1; fi
  fi
  [[ $c =~ ^(black|grey)$ ]] || [ "$last" = "$c" ] || { seen+=("$c"); last=$c; }
  [ "$last" = magenta ] && break
done
echo "seen in turn: ${seen[*]}"
[ "${seen[*]}" = "yellow red lime blue magenta" ] || fail "the slides and the clip's frames did not come in order"
grep -q "^video: play .*320 x 240.* at 320 x 239" "$work/show.log" || fail "no trace of the clip at its size"
kill -TERM "$show"
waitgone "$show" 5 || fail "SIGTERM did not end the show"
wait "$show" || fail "the exit code after SIGTERM was not 0"
[ -z "$(ls -A "$TMPDIR")" ] || fail "temporary files left behind: $(ls -AR "$TMPDIR")"

# Two clips in a row at the same place: a red one on grey, then a lime one on cyan. From the
# first screen of the second slide on, its panel shows the slide's cyan until the lime clip's
# first frame, and never the red clip's last one.
ffmpeg -v error -f lavfi -i "color=c=red:s=320x240:r=25:d=1" -pix_fmt yuv420p "$work/media/red.mp4"
ffmpeg -v error -f lavfi -i "color=c=lime:s=320x240:r=25:d=2" -pix_fmt yuv420p "$work/media/lime.mp4"
clip() { echo "{\"file\": \"media/$1.mp4\", \"SlideKind\": 2, \"VideoSizeMode\": 0, \"BackgroundKinds\": \"0;\",
  \"RandomBackgroundColor\": false, \"SolidColor\": $2, \"ShowCaption\": false, \"ShowText\": false}"; }
cat >"$work/clips.json" <<JSON
{"header": {"ProjectName": "e2eclips", "DisplaySeconds": 1, "RandomOrder": false, "RandomPosition": false,
            "ScreenTransitionMode": 0},
 "slides": [$(clip red 8421504), $(clip lime 16776960)]}
JSON
"$tool" pack "$work/clips.json" -o "$work/clips.bin" >/dev/null
"$work/clips.bin" /s 2>"$work/show.log" &
show=$!
pids+=($show)
panel=() shot=0 until=$((SECONDS + 40))
while [ $SECONDS -lt $until ]; do
  # The background, and the panel's middle and corners: (160, 120) to (479, 359).
  read -r bg middle first last < <(look 20 20 320 240 160 120 479 359)
  if [ "$bg" != "#00FFFF" ]; then  # the second slide's background
    [ ${#panel[@]} -gt 0 ] && break  # its slide is over
    continue
  fi
  c=$(name "$middle")
  panel+=("$c")
  [ "$(name "$first")" = "$c" ] && [ "$(name "$last")" = "$c" ] ||
    fail "the panel is not one colour: $first at its first corner, $middle in its middle, $last at its last"
  if [ "$c" = lime ] && [ $shot = 0 ]; then shoot; cp "$work/now.png" "$work/second.png"; shot=1; fi
done
echo "the second clip's panel, screen by screen: ${panel[*]}"
[[ " ${panel[*]} " == *" red "* ]] && fail "the second clip's slide showed the first clip's last frame"
# The slide's cyan, the clip, and the cyan again once it has ended.
[[ " ${panel[*]} " =~ ^(\ \#00FFFF)*(\ lime)+(\ \#00FFFF)*\ $ ]] ||
  fail "the panel did not show the slide's background, then the second clip"
kill -TERM "$show"
waitgone "$show" 5 || fail "SIGTERM did not end the show of two clips"
[ -n "${SHOWFORGE_E2E_SHOTS:-}" ] && cp "$work/video.png" "$work/second.png" "$SHOWFORGE_E2E_SHOTS"/
echo "PASS"
