#!/usr/bin/env bash
# Measures the player on a 1920x1080 Xvfb screen: time from start to the first frame for the demo
# show, for the demo without its music and for a show of 100 pictures of 1920x1080, ticks per
# second reached during a 10 ms-tick effect, and the CPU the player uses while a slide is held.
# The first frame is timed twice: from main (the player's own trace) and from the launch of the
# program (its trace line stamped by this script as it arrives, so that process start counts).
# usage: bench/measure_show.sh [BUILD_DIR]   (after `ninja -C build demo`)
#   RUNS=N    runs of each first-frame measure (default 10; the medians are printed)
#   ONLY=first-frame   stops after the first-frame measures of the demo
set -euo pipefail
build=${1:-build}
runs=${RUNS:-10}
tool=$build/bin/showforge-tool
work=$(mktemp -d)
mkdir -p "$work/rt" "$work/reg" "$work/media" && chmod 700 "$work/rt"
display=""
for d in $(seq 91 140); do [ -e "/tmp/.X$d-lock" ] || { display=$d; break; }; done
# -noreset: a desktop's X server runs on between shows, as the window manager and the saver daemon
# stay connected. By default Xvfb resets when its last client leaves (its extensions set up again,
# the software GL driver loaded again, the keymap compiled again: 60 to 200 ms here), and the first
# client of each new start pays for what the server sets up anew, even when it comes after the reset
# has ended: every run would measure that rather than the show.
Xvfb ":$display" -screen 0 1920x1080x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
export DISPLAY=":$display" XDG_RUNTIME_DIR=$work/rt SHOWFORGE_REGISTRY_DIR=$work/reg SHOWFORGE_TRACE=1 SHOWFORGE_AUDIO=null
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

# Runs a show for `seconds`, then ends it; its trace is in $work/trace, each line after the
# time it arrived (seconds since the epoch), and the launch time is in $work/launched.
play() {  # show seconds
  local launched=$EPOCHREALTIME
  "$1" /s 2> >(while IFS= read -r line; do printf '%s %s\n' "$EPOCHREALTIME" "$line"; done >"$work/trace") &
  local pid=$!
  echo "$launched" >"$work/launched"
  sleep "$2"
  kill -TERM "$pid"
  wait "$pid" || true
  sleep 0.1  # the stamping reader drains the last lines
}
first_frame() { grep -Eo 'first frame on the screen [0-9]+ ms' "$work/trace" | grep -Eo '[0-9]+'; }
after_launch() {
  awk -v t0="$(cat "$work/launched")" '/first frame on the screen/ {printf "%.0f", ($1 - t0) * 1000; exit}' "$work/trace"
}
median() { sort -n | awk '{v[NR] = $1} END {if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
# Plays a show `runs` times: each run's two figures, then their medians.
measure() {  # name show
  local mains=() launches=()
  for _ in $(seq "$runs"); do
    play "$2" 2.5
    mains+=("$(first_frame)") launches+=("$(after_launch)")
  done
  echo "$1: first frame after ${mains[*]} ms from main; ${launches[*]} ms from launch"
  echo "$1: median $(printf '%s\n' "${mains[@]}" | median) ms from main, $(printf '%s\n' "${launches[@]}" | median) ms from launch (load $(cut -d' ' -f1 /proc/loadavg))"
}

# One run that is not counted: the first client of a fresh X server is slower.
play "$build/demo/Demo.scr" 1.5
measure "demo show" "$build/demo/Demo.scr"
# The demo without its music: the same slides packed from the same media.
sed '/"music":/d' "$build/demo/manifest.json" >"$build/demo/manifest-silent.json"
"$tool" pack "$build/demo/manifest-silent.json" -o "$work/silent.scr" >/dev/null
rm -f "$build/demo/manifest-silent.json"
measure "demo without music" "$work/silent.scr"
[ "${ONLY:-}" = first-frame ] && exit 0

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
for i in 1 2 3; do play "$work/big.bin" 2; echo "100 pictures: first frame after $(first_frame) ms from main, $(after_launch) ms from launch"; done

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
