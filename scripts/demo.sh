#!/usr/bin/env bash
# Sets up, builds and plays the main job: the demo show is rendered, packed behind the player and
# played full screen. On a machine without a display it plays under Xvfb for a few seconds and
# writes screenshots of it to build/demo/shots/ instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh demo  # the player, the tool and the demo show only
build/bin/showforge-tool info build/demo/Demo.scr | sed -n 1,8p
show=build/demo/Demo.scr
if [ -n "${DISPLAY:-}" ] && xdotool getmouselocation >/dev/null 2>&1; then
  echo "Playing the demo full screen on $DISPLAY; Ctrl+C here ends it."
  exec "$show" /s
fi

shots=build/demo/shots
rm -rf "$shots" && mkdir -p "$shots"
runtime=$(mktemp -d) && chmod 700 "$runtime"
# Xvfb chooses a free display and writes its number once it accepts connections.
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$runtime/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$runtime"' EXIT
for _ in $(seq 300); do grep -q '^[0-9][0-9]*$' "$runtime/display" 2>/dev/null && break; sleep 0.1; done
export DISPLAY=":$(cat "$runtime/display")" XDG_RUNTIME_DIR=$runtime SHOWFORGE_AUDIO=null
echo "No display here: playing the demo under Xvfb ($DISPLAY, 1280x720) for 40 seconds."
"$show" /s &
player=$!
for i in $(seq -w 1 20); do
  sleep 2
  import -window root "$shots/shot-$i.png"
done
kill -TERM "$player"
wait "$player" || true
echo "Screenshots of the show, two seconds apart: $shots/shot-01.png ... shot-20.png"
