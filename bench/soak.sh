#!/usr/bin/env bash
# A long run of the player on a 1920x1080 Xvfb screen: generated pictures of 1920x1080 shown for a
# second each with random effects, two music tracks, a video slide and a flash slide. Every ten
# seconds it samples the player's resident memory, open file descriptors, threads and the files in
# its temporary folder and prints a row. It fails when the largest resident memory of the run's
# second half is more than 5 % above the largest from the second minute to half time (the first
# minute warms the caches up; each half holds many rounds of the slides, the video and the movie
# included), or when the descriptors, threads or files of the second half are more than before.
# usage: bench/soak.sh [MINUTES] [BUILD_DIR]   (default 60 minutes; at least 3)
set -euo pipefail
minutes=${1:-60}
build=${2:-build}
((minutes >= 3)) || { echo "soak: run at least 3 minutes"; exit 2; }
tool=$build/bin/showforge-tool
work=$(mktemp -d)
mkdir -p "$work/rt" "$work/reg" "$work/media" "$work/tmp" && chmod 700 "$work/rt"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
player=""
trap 'kill $player $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 300); do grep -q '^[0-9][0-9]*$' "$work/display" 2>/dev/null && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")" XDG_RUNTIME_DIR=$work/rt SHOWFORGE_REGISTRY_DIR=$work/reg
export TMPDIR=$work/tmp SHOWFORGE_AUDIO=null

# Eight pictures in four formats, two tunes, a clip and a movie.
for i in 1 2 3 4 5 6 7 8; do
  case $((i % 4)) in
    0) ext=jpg ;; 1) ext=png ;; 2) ext=bmp ;; 3) ext=gif ;;
  esac
  convert -size 1920x1080 "gradient:hsl($((i * 45)),80%,40%)-hsl($((i * 45 + 120)),80%,60%)" \
    -gravity center -font DejaVu-Sans -pointsize 160 -fill white -annotate 0 "$i" "$work/media/p$i.$ext"
done
for t in 1 2; do ffmpeg -v error -f lavfi -i "sine=frequency=$((330 * t)):duration=20" "$work/media/t$t.wav"; done
ffmpeg -v error -f lavfi -i "testsrc=s=640x360:r=25:d=4" -pix_fmt yuv420p "$work/media/clip.mp4"
ffmpeg -v error -f lavfi -i "testsrc=s=320x240:r=12:d=2" -c:v mjpeg -q:v 3 -f swf "$work/media/movie.swf"
slides=""
for f in "$work"/media/p*; do
  slides+="${slides:+,}{\"file\": \"media/$(basename "$f")\", \"EffectSpeed\": 50}"
done
slides+=",{\"file\": \"media/clip.mp4\", \"SlideKind\": 2, \"VideoSizeMode\": 3}"
slides+=",{\"file\": \"media/movie.swf\", \"SlideKind\": 1, \"FlashEndMode\": 0}"
cat >"$work/soak.json" <<JSON
{"header": {"ProjectName": "soak.scr", "DisplaySeconds": 1, "RandomOrder": false, "ScreenTransitionMode": 0,
            "FitMode": 1, "LoopMusic": true},
 "music": ["media/t1.wav", "media/t2.wav"],
 "slides": [$slides]}
JSON
"$tool" pack "$work/soak.json" -o "$work/soak.scr" >/dev/null

"$work/soak.scr" /s 2>"$work/show.log" &
player=$!
printf '%8s %10s %6s %8s %6s\n' seconds rss_kb fds threads files
samples=$((minutes * 6))
declare -a rss fds threads files
for ((i = 1; i <= samples; i++)); do
  sleep 10
  [ -d "/proc/$player" ] || { echo "soak: the player ended after $((i * 10)) s"; tail -20 "$work/show.log"; exit 1; }
  rss[i]=$(awk '/^VmRSS:/ {print $2}' "/proc/$player/status")
  threads[i]=$(awk '/^Threads:/ {print $2}' "/proc/$player/status")
  fds[i]=$(ls "/proc/$player/fd" | wc -l)
  files[i]=$(find "$TMPDIR" -type f | wc -l)
  printf '%8d %10d %6d %8d %6d\n' $((i * 10)) "${rss[i]}" "${fds[i]}" "${threads[i]}" "${files[i]}"
done
kill -TERM "$player"
wait "$player" || { echo "soak: the player's exit code after SIGTERM was not 0"; exit 1; }
player=""
[ -z "$(ls -A "$TMPDIR")" ] || { echo "soak: files left in the temporary folder: $(ls -A "$TMPDIR")"; exit 1; }

# The largest value of an array over the samples [from, to].
largest() {
  local -n a=$1
  local m=0
  for ((j = $2; j <= $3; j++)); do ((a[j] > m)) && m=${a[j]}; done
  echo "$m"
}
failed=0
half=$((samples / 2))
for name in rss fds threads files; do
  before=$(largest "$name" 7 "$half")
  after=$(largest "$name" $((half + 1)) "$samples")
  if [ "$name" = rss ]; then
    limit=$((before * 105 / 100))
  else
    limit=$before
  fi
  verdict=ok
  ((after <= limit)) || { verdict=GROWN; failed=1; }
  printf 'soak: %-7s largest from the second minute to half time %8d, after half time %8d: %s\n' "$name" "$before" "$after" "$verdict"
done
exit $failed
