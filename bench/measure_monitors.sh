#!/usr/bin/env bash
# The CPU the full-screen show uses while a slide is held, and while slides come every two
# seconds through a transition, on two monitors side by side (two 1920x1080 monitors on Xorg's
# dummy driver, the desktop tests' two-monitor server) and on one of them alone (the other
# switched off): the time the player's threads spent on a core over HELD seconds (default 20),
# from three seconds after its first frame, read in nanoseconds from each
# thread's /proc schedstat (the clock ticks of /proc/PID/stat count 10 ms steps, too coarse for
# a held slide), each measure RUNS times (default 3) and the median printed. Needs Xorg and its
# dummy driver (as root).
# usage: bench/measure_monitors.sh [BUILD_DIR]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
held=${HELD:-20} runs=${RUNS:-3}
E2E_MONITORS="1920x1080 1920x1080"
. "$(dirname "$0")/../tests/e2e/lib.sh"
export SHOWFORGE_TRACE=show SHOWFORGE_AUDIO=null

# One full-screen picture, shrunk to fit, shown without a transition and held for an hour.
convert -size 1920x1080 gradient:red-blue "$work/media/held.bmp"
cat >"$work/held.json" <<JSON
{"header": {"ProjectName": "held", "DisplaySeconds": 3600, "RandomOrder": false, "RandomPosition": false,
            "ScreenTransitionMode": 0, "FitMode": 1},
 "slides": [{"file": "media/held.bmp", "FormatCode": 1, "ShowCaption": false, "ShowText": false, "EffectList": ""}]}
JSON
"$build/bin/showforge-tool" pack "$work/held.json" -o "$work/held.bin" >/dev/null
# Two full-screen pictures in turn, one second each, each coming through the same transition.
convert -size 1920x1080 gradient:lime-blue "$work/media/other.bmp"
cat >"$work/cycling.json" <<JSON
{"header": {"ProjectName": "cycling", "DisplaySeconds": 1, "RandomOrder": false, "RandomPosition": false,
            "ScreenTransitionMode": 0, "FitMode": 1},
 "slides": [{"file": "media/held.bmp", "FormatCode": 1, "ShowCaption": false, "ShowText": false, "EffectList": "20;"},
            {"file": "media/other.bmp", "FormatCode": 1, "ShowCaption": false, "ShowText": false, "EffectList": "20;"}]}
JSON
"$build/bin/showforge-tool" pack "$work/cycling.json" -o "$work/cycling.bin" >/dev/null

# Nanoseconds on a core of all threads of a process.
oncpu() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{t += $1} END {printf "%d\n", t}'; }
# The player's CPU over the held seconds, in milliseconds a second.
cpu() {  # show
  "$work/$1.bin" /s 2>"$work/show.log" &
  local pid=$! t1 t2 w windows=0 WIDTH
  pids+=($pid)
  for _ in $(seq 200); do grep -q "first frame" "$work/show.log" && break; sleep 0.05; done
  grep -q "first frame" "$work/show.log" || fail "the show showed no first frame"
  sleep 3
  for w in $(xdotool search --onlyvisible --classname "^$1\\.bin\$" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$WIDTH" -ge 1920 ] && windows=$((windows + 1))
  done
  echo "$windows" >"$work/windows"
  t1=$(oncpu "$pid")
  sleep "$held"
  t2=$(oncpu "$pid")
  kill -TERM "$pid"
  waitgone "$pid" 5 || fail "SIGTERM did not end the show"
  awk -v t=$((t2 - t1)) -v s="$held" 'BEGIN {printf "%.3f\n", t / 1e6 / s}'
}
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
measure() {  # what show
  local all=()
  for _ in $(seq "$runs"); do all+=("$(cpu "$2")"); done
  echo "$1 ($(cat "$work/windows") run windows): median $(printf '%s\n' "${all[@]}" | median) ms of CPU a second (runs: ${all[*]}; ${held} s held each; load $(cut -d' ' -f1-3 /proc/loadavg))"
}
echo "screens Qt reports: $(xrandr --listmonitors | head -1)"
measure "a slide held, two monitors" held
measure "slides coming, two monitors" cycling
xrandr --output DUMMY1 --off --fb 1920x1080
echo "screens Qt reports: $(xrandr --listmonitors | head -1)"
measure "a slide held, one monitor" held
measure "slides coming, one monitor" cycling
