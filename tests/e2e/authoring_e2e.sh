#!/usr/bin/env bash
# Shows made without a manifest, under Xvfb: `new` from a folder of pictures (one damaged) plays
# at once, its slides in natural order; a project appended to a foreign program, rehosted, plays
# behind our player.
# usage: authoring_e2e.sh SHOWFORGE SHOWFORGE_TOOL
set -euo pipefail
player=$1 tool=$2
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/shots.sh"

# The colours the middle of the screen shows in turn (black between slides and while a
# transition starts is not counted), until it has shown red and then lime, or for 15 seconds.
colours() {  # show
  "$1" /s 2>"$work/show.log" &
  local show=$! seen=()
  pids+=($show)
  for _ in $(seq 40); do
    shoot
    c=$(name "$(pixel 320 240)")
    [ "$c" = black ] || { [ "${#seen[@]}" -gt 0 ] && [ "${seen[-1]}" = "$c" ]; } || seen+=("$c")
    [[ " ${seen[*]} " == *" red lime "* ]] && break
    sleep 0.2
  done
  kill -TERM "$show"
  waitgone "$show" 5 || fail "SIGTERM did not end $1"
  echo "${seen[*]}"
}

mkdir -p "$work/pics"
convert -size 160x120 xc:red "$work/pics/slide2.png"
convert -size 160x120 xc:lime "$work/pics/slide10.png"
head -c 40 "$work/pics/slide2.png" >"$work/pics/slide3.png"
"$tool" new "$work/pics" -o "$work/made.scr" --player "$player" --seconds 1 --speed 50 2>"$work/new.err" >/dev/null
[ "$(wc -l <"$work/new.err")" = 1 ] && grep -q "left out $work/pics/slide3.png" "$work/new.err" ||
  fail "new did not leave out the damaged picture alone: $(cat "$work/new.err")"
seen=$(colours "$work/made.scr")
echo "made by new: $seen"
[ "$seen" = "red lime" ] || fail "the show new made did not play its slides in order"

# The same pictures behind a program that is not ours, then rehosted.
{ printf 'MZ'; head -c 60000 /dev/urandom; } >"$work/foreign.exe"
"$tool" new "$work/pics" -o "$work/foreign.scr" --player "$work/foreign.exe" --seconds 1 --speed 50 2>/dev/null >/dev/null
"$tool" rehost "$work/foreign.scr" -o "$work/rehosted.scr" --player "$player" >/dev/null
seen=$(colours "$work/rehosted.scr")
echo "rehosted: $seen"
[ "$seen" = "red lime" ] || fail "the rehosted show did not play"
echo "PASS"
