#!/usr/bin/env bash
# The CPU the full-screen show uses while a slide is held, on two monitors side by side (two
# 1920x1080 monitors on Xorg's dummy driver, the desktop tests' two-monitor server) and on one of
# them alone (the other switched off): the player's user and system time from /proc over
# HELD seconds (default 20), from three seconds after its first frame, each measure RUNS times
# (default 3) and the median printed. Needs Xorg and its dummy driver (as root).
# usage: bench/measure_monitors.sh [BUILD_DIR]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
held=${HELD:-20} runs=${RUNS:-3}
E2E_MONITORS="1920x1080 1920x1080"
. "$(dirname "$0")/../tests/e2e/lib.sh"
export SHOWFORGE_TRACE=show SHOWFORGE_AUDIO=null
hz=$(getconf CLK_TCK)

# One full-screen picture, shrunk to fit, shown without a transition and held for an hour.
convert -size 1920x1080 gradient:red-blue "$work/media/held.bmp"
cat >"$work/held.json" <<JSON
{"header": {"ProjectName": "held", "DisplaySeconds": 3600, "RandomOrder": false, "RandomPosition": false,
            "ScreenTransitionMode": 0, "FitMode": 1},
 "slides": [{"file": "media/held.bmp", "FormatCode": 1, "ShowCaption": false, "ShowText": false, "EffectList": ""}]}
JSON
"$build/bin/showforge-tool" pack "$work/held.json" -o "$work/held.bin" >/dev/null

# The player's CPU over the held seconds, in per cent of one core.
held_cpu() {
  "$work/held.bin" /s 2>"$work/show.log" &
  local pid=$! u1 s1 u2 s2
  pids+=($pid)
  for _ in $(seq 200); do grep -q "first frame" "$work/show.log" && break; sleep 0.05; done
  grep -q "first frame" "$work/show.log" || fail "the show showed no first frame"
  sleep 3
  read -r u1 s1 < <(awk '{print $14, $15}' "/proc/$pid/stat")
  sleep "$held"
  read -r u2 s2 < <(awk '{print $14, $15}' "/proc/$pid/stat")
  kill -TERM "$pid"
  waitgone "$pid" 5 || fail "SIGTERM did not end the show"
  awk -v a=$((u2 + s2 - u1 - s1)) -v hz="$hz" -v s="$held" 'BEGIN {printf "%.2f\n", a / hz / s * 100}'
}
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
measure() {  # what
  local all=()
  for _ in $(seq "$runs"); do all+=("$(held_cpu)"); done
  echo "$1: median $(printf '%s\n' "${all[@]}" | median) % of one core (runs: ${all[*]}; ${held} s held each; load $(cut -d' ' -f1-3 /proc/loadavg))"
}
echo "screens Qt reports: $(xrandr --listmonitors | head -1)"
measure "two monitors"
xrandr --output DUMMY1 --off --fb 1920x1080
echo "screens Qt reports: $(xrandr --listmonitors | head -1)"
measure "one monitor"
