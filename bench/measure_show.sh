#!/usr/bin/env bash
# Measures the player on a 1920x1080 Xvfb screen: time from start to the first frame for the demo
# show and for a show of 100 pictures of 1920x1080, ticks per second reached during a 10 ms-tick
# effect, and the CPU the player uses while a slide is held.
# usage: bench/measure_show.sh [BUILD_DIR]   (after `ninja -C build demo`)
set -euo pipefail
build=${1:-build}
tool=$build/bin/showforge-tool
work=$(mktemp -d)
mkdir -p "$work/rt" "$work/reg" "$work/media" && chmod 700 "$work/rt"
display=""
for d in $(seq 91 140); do [ -e "/tmp/.X$d-lock" ] || { display=$d; break; }; done
Xvfb ":$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
export DISPLAY=":$display" XDG_RUNTIME_DIR=$work/rt SHOWFORGE_REGISTRY_DIR=$work/reg SHOWFORGE_TRACE=1 SHOWFORGE_AUDIO=null
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

# Runs a show for `seconds`, then ends it; its trace is in $work/trace.
play() {  # show seconds
  "$1" /s 2>"$work/trace" &
  local pid=$!
  sleep "$2"
  kill -TERM "$pid"
  wait "$pid" || true
}
first_frame() { grep -Eo 'first frame on the screen [0-9]+ ms' "$work/trace" | grep -Eo '[0-9]+'; }

for i in 1 2 3; do play "$build/demo/Demo.scr" 2; echo "demo show: first frame after $(first_frame) ms"; done

# 100 photographs of 1920x1080 (one rendered picture under 100 names).
convert -size 1920x1080 plasma:fractal -quality 90 "$work/media/photo.jpg" 2>/dev/null ||
  convert -size 1920x1080 gradient:navy-orange -quality 90 "$work/media/photo.jpg"
slides=""
for i in $(seq 100); do
  cp "$work/media/photo.jpg" "$work/media/p$i.jpg"
  slides+="${slides:+,}{\"file\": \"media/p$i.jpg\", \"EffectList\": \"0;\", \"RandomEffect\": false, \"EffectSpeed\": 10}"
done
cat >"$work/big.json" <<JSON
{"header": {"ProjectName": "measure", "DisplaySeconds": 8, "RandomOrder": false, "ScreenTransitionMode": 0, "FitMode": 1},
 "slides": [$slides]}
JSON
"$tool" pack "$work/big.json" -o "$work/big.bin" >/dev/null
ls -la "$work/big.bin" | awk '{printf "show of 100 pictures: %.0f MB\n", $5 / 1e6}'
for i in 1 2 3; do play "$work/big.bin" 2; echo "100 pictures: first frame after $(first_frame) ms"; done

# Ticks per second of "Band down large" (10 ms tick) on a 1920x1080 picture, then the CPU while
# that slide is held (from 3 to 8 seconds after start).
"$work/big.bin" /s 2>"$work/trace" &
pid=$!
sleep 3
hz=$(getconf CLK_TCK)
read -r u1 s1 < <(awk '{print $14, $15}' "/proc/$pid/stat")
sleep 5
read -r u2 s2 < <(awk '{print $14, $15}' "/proc/$pid/stat")
kill -TERM "$pid"
wait "$pid" || true
grep -m1 'ticks/s' "$work/trace"
awk -v a=$((u2 + s2 - u1 - s1)) -v hz="$hz" 'BEGIN {printf "CPU while a slide is held: %.2f %% of one core (%d ticks of 1/%d s in 5 s)\n", a / hz / 5 * 100, a, hz}'

# The same while music plays (the null audio output): a minute of a 44.1 kHz stereo tone.
ffmpeg -v error -f lavfi -i "sine=frequency=440:duration=60:sample_rate=44100" -ac 2 "$work/media/tune.wav"
sed 's/"slides":/"music": ["media\/tune.wav"], "slides":/' "$work/big.json" >"$work/music.json"
"$tool" pack "$work/music.json" -o "$work/music.bin" >/dev/null
"$work/music.bin" /s 2>"$work/trace" &
pid=$!
sleep 3
read -r u1 s1 < <(awk '{print $14, $15}' "/proc/$pid/stat")
sleep 5
read -r u2 s2 < <(awk '{print $14, $15}' "/proc/$pid/stat")
kill -TERM "$pid"
wait "$pid" || true
awk -v a=$((u2 + s2 - u1 - s1)) -v hz="$hz" 'BEGIN {printf "CPU while a slide is held with music: %.2f %% of one core (%d ticks of 1/%d s in 5 s)\n", a / hz / 5 * 100, a, hz}'
