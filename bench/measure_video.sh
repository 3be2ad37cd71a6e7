#!/usr/bin/env bash
# Measures a video slide on a 1920x1080 Xvfb screen: a 1920x1080 clip of 30 frames a second in
# size mode 5 (the screen's width): the frames shown and dropped (mpv's count), and the CPU the
# player uses while the clip plays, beside libmpv decoding the same clip with no output at all.
# usage: bench/measure_video.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
tool=$build/bin/showforge-tool
work=$(mktemp -d)
mkdir -p "$work/rt" "$work/reg" "$work/media" && chmod 700 "$work/rt"
display=""
for d in $(seq 91 140); do [ -e "/tmp/.X$d-lock" ] || { display=$d; break; }; done
Xvfb ":$display" -screen 0 1920x1080x24 -nolisten tcp -noreset >/dev/null 2>&1 &  # runs on between shows, as a desktop's does
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
export DISPLAY=":$display" XDG_RUNTIME_DIR=$work/rt SHOWFORGE_REGISTRY_DIR=$work/reg SHOWFORGE_TRACE=video SHOWFORGE_AUDIO=null
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

ffmpeg -v error -f lavfi -i "testsrc2=size=1920x1080:rate=30:duration=12" -c:v libx264 -preset veryfast -pix_fmt yuv420p \
  "$work/media/clip.mp4"
cat >"$work/show.json" <<JSON
{"header": {"ProjectName": "measurevideo", "DisplaySeconds": 2, "RandomOrder": false, "RandomPosition": false},
 "slides": [{"file": "media/clip.mp4", "SlideKind": 2, "VideoSizeMode": 5, "ShowCaption": false, "ShowText": false,
             "BackgroundKinds": "0;", "RandomBackgroundColor": false}]}
JSON
"$tool" pack "$work/show.json" -o "$work/show.bin" >/dev/null
"$work/show.bin" /s 2>"$work/trace" &
pid=$!
sleep 2
hz=$(getconf CLK_TCK)
read -r u1 s1 < <(awk '{print $14, $15}' "/proc/$pid/stat")
sleep 8
read -r u2 s2 < <(awk '{print $14, $15}' "/proc/$pid/stat")
for _ in $(seq 100); do grep -q '^video: stop' "$work/trace" && break; sleep 0.1; done
kill -TERM "$pid"
wait "$pid" || true
grep '^video:' "$work/trace"
awk -v a=$((u2 + s2 - u1 - s1)) -v hz="$hz" 'BEGIN {printf "player while the clip plays: %.0f %% of one core\n", a / hz / 8 * 100}'
"$build/bench/play_null" "$work/media/clip.mp4"
