#!/usr/bin/env bash
# The studio on a folder of many large pictures, under Xvfb: how long the window takes to answer
# a key press while the thumbnails are decoded, and how long until every thumbnail shows.
# A key press goes to the slide list every 150 ms from the moment the window shows until the
# thumbnails are done; the studio tells (SHOWFORGE_TRACE=studio) when each reached the window.
# The time of a press counts from just before xdotool is started, so it includes xdotool's own
# start (a few milliseconds).
# usage: bench/measure_studio.sh [BUILD_DIR] [PICTURES] [WIDTHxHEIGHT]
set -euo pipefail
build=${1:-build}
count=${2:-500}
size=${3:-1920x1080}
studio=$build/bin/showforge-studio
[ -x "$studio" ] || { echo "no $studio: build showforge-studio first"; exit 1; }
for cmd in Xvfb xdotool convert; do command -v "$cmd" >/dev/null || { echo "$cmd is not installed"; exit 1; }; done

work=$(mktemp -d)
mkdir -p "$work/pics" "$work/rt" "$work/config"
chmod 700 "$work/rt"
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT

# Ten different photographs' worth of detail (noise under a gradient), copied to fill the folder:
# every file is decoded on its own all the same.
echo "making $count pictures of $size..."
for k in $(seq 0 9); do
  convert -size "$size" "plasma:fractal" -seed "$k" -quality 90 "$work/variant$k.jpg" 2>/dev/null ||
    convert -size "$size" xc: +noise Random -blur 0x2 -quality 90 "$work/variant$k.jpg"
done
for i in $(seq 1 "$count"); do cp "$work/variant$((i % 10)).jpg" "$work/pics/photo$i.jpg"; done

Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 300); do grep -q '^[0-9][0-9]*$' "$work/display" 2>/dev/null && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")" XDG_RUNTIME_DIR=$work/rt XDG_CONFIG_HOME=$work/config TMPDIR=$work
export SHOWFORGE_TRACE=studio

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
start=$(date +%s%3N)
"$studio" "$work/pics" 2>"$work/trace" &
pids+=($!)
# The window is there when it takes keys.
for _ in $(seq 200); do xdotool search --name "ShowForge Studio" >/dev/null 2>&1 && break; sleep 0.05; done
xdotool mousemove 300 300
: >"$work/sent"
while ! grep -q "thumbnails: all shown" "$work/trace"; do
  date +%s%3N >>"$work/sent"
  xdotool key Right
  sleep 0.15
  (($(date +%s%3N) - start < 600000)) || { echo "the thumbnails did not all show in 10 minutes"; exit 1; }
done
# The same presses once the thumbnails are done: what answering takes here without them
# (xdotool's start, the X server, the window's own work).
sleep 0.5
: >"$work/idle"
for _ in $(seq 20); do
  date +%s%3N >>"$work/idle"
  xdotool key Right
  sleep 0.15
done
sleep 0.5
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

grep -o 'key 16777236 handled at [0-9]*' "$work/trace" | awk '{print $5}' >"$work/handled"
sent=$(wc -l <"$work/sent")
# Waits in milliseconds, sorted, of the presses sent at the times in file $1 (the handled ones
# from line $2 on).
waits() { paste "$1" <(tail -n +"$2" "$work/handled") | awk 'NF == 2 { print $2 - $1 }' | tee -a "$work/order" | sort -n; }
report() {  # label waits-file
  local k
  k=$(wc -l <"$2")
  ((k > 0)) || { echo "$1: no key press reached the window"; return; }
  echo "$1: $k presses answered in median $(sed -n "$(((k + 1) / 2))p" "$2") ms," \
    "90th percentile $(sed -n "$(((k * 9 + 9) / 10))p" "$2") ms, worst $(tail -1 "$2") ms"
}
waits "$work/sent" 1 >"$work/busy"
waits "$work/idle" $((sent + 1)) >"$work/calm"
report "while the thumbnails fill in" "$work/busy"
report "once they are all shown" "$work/calm"
echo "in the order sent: $(tr '\n' ' ' <"$work/order")"
shown=$(grep -o 'all shown after [0-9]* ms' "$work/trace" | awk '{print $4}')
echo "thumbnails: $count pictures of $size all shown $shown ms after they were asked for"
