#!/usr/bin/env bash
# Two monitors of different sizes side by side (1280x1024 at the left, 1920x1080 at the right) on
# Xorg's dummy driver, with a show of two alternating pictures at their original size (red and
# green, 200x150, centred on black) and two one-second tracks:
# 1. As XScreenSaver runs a saver on each monitor: a saver window the size of each monitor and a
#    process -root in each, named by its own XSCREENSAVER_WINDOW. Both play, each laid out for its
#    monitor; the music plays in the first only; a second process in the same window ends at
#    once; when the one with the music is killed, the other takes the music over at its next
#    track.
# 2. Full screen (/s): both monitors show the show, each laid out for its own size, and change;
#    the music plays once; a key on the right monitor ends the show on both; with a password the
#    prompt opens once, on the monitor under the pointer.
# Every check of the second part is made and the failures are listed together.
# usage: monitors_e2e.sh SHOWFORGE_TOOL HOSTWINDOW PIXELS
set -euo pipefail
tool=$1 host=$2 pixels=$3
E2E_MONITORS="1280x1024 1920x1080"
. "$(dirname "$0")/lib.sh"
export SHOWFORGE_AUDIO=null SHOWFORGE_TRACE=music

convert -size 200x150 xc:red "$work/media/red.bmp"
convert -size 200x150 xc:lime "$work/media/green.bmp"
ffmpeg -v error -f lavfi -i "sine=frequency=440:duration=1" "$work/media/t0.wav"
ffmpeg -v error -f lavfi -i "sine=frequency=660:duration=1" "$work/media/t1.wav"
slide() { echo "{\"file\": \"media/$1.bmp\", \"FormatCode\": 1, \"BackgroundKinds\": \"0;\", \"RandomBackgroundColor\": false,
  \"ShowCaption\": false, \"ShowText\": false, \"EffectList\": \"\", \"MusicDuringSlide\": true}"; }
cat >"$work/mon.json" <<JSON
{"header": {"ProjectName": "mon", "DisplaySeconds": 1, "RandomOrder": false, "RandomPosition": false,
            "ScreenTransitionMode": 0, "FitMode": 0, "RandomMusic": false, "LoopMusic": true, "MusicPauseTicks": 1},
 "slides": [$(slide red), $(slide green)],
 "music": ["media/t0.wav", "media/t1.wav"]}
JSON
"$tool" pack "$work/mon.json" -o "$work/show.bin" >/dev/null
key=$work/reg/HKEY_LOCAL_MACHINE/Software/Quillmoor/mon.reg
settings() {
  mkdir -p "$(dirname "$key")"
  { echo "REGEDIT4"; echo; echo '[HKEY_LOCAL_MACHINE\Software\Quillmoor\mon]'; printf '%s\n' "$@"; } >"$key"
}
settings '"Mouse Move"=dword:00000000' '"Esc Key"=dword:00000001'

# Each monitor's middle, and the points that tell a 200x150 picture centred on it: 95 and 70
# pixels from the middle lie inside it, 110 and 85 outside.
lx=640 ly=512 rx=$((1280 + 960)) ry=540
probes() {  # x y: inside, then outside
  echo "$1,$2 $(($1 - 95)),$(($2 - 70)) $(($1 + 95)),$(($2 + 70)) $(($1 - 110)),$2 $(($1 + 110)),$2 $1,$(($2 - 85)) $1,$(($2 + 85))"
}
# The colours on the screen at the points given as x,y.
colours() { "$pixels" "$@"; }
snap() { shot=$work/$1.png; import -window root "$shot"; }
# Whether the picture on the monitor whose middle is x y stands centred there: one colour of the
# slides inside, black around it.
centred() {  # x y
  local c
  c=($(colours $(probes "$1" "$2")))
  [[ ${c[0]} =~ ^(FF0000|00FF00)$ ]] && [ "${c[1]}" = "${c[0]}" ] && [ "${c[2]}" = "${c[0]}" ] &&
    [ "${c[3]}${c[4]}${c[5]}${c[6]}" = "000000000000000000000000" ]
}
# Both monitors show a picture centred for their own size (within eight seconds).
both_centred() {
  local ok=1 end=$((SECONDS + 8))
  while [ $SECONDS -lt $end ]; do
    centred $lx $ly && centred $rx $ry && ok=0 && break
    sleep 0.1
  done
  snap "$1"
  return $ok
}
# The colours each monitor's middle shows until each has shown both slides (six seconds at
# most), without repeats in a row.
changes() {  # prints "left-colours right-colours", each joined with '+'
  local l=(-) r=(-) c end=$((SECONDS + 6))
  while [ $SECONDS -lt $end ]; do
    c=($(colours "$lx,$ly" "$rx,$ry"))
    [ "${l[-1]}" = "${c[0]}" ] || l+=("${c[0]}")
    [ "${r[-1]}" = "${c[1]}" ] || r+=("${c[1]}")
    changed "${l[*]}" && changed "${r[*]}" && break
    sleep 0.1
  done
  l=("${l[@]:1}") r=("${r[@]:1}")
  echo "$(IFS=+; echo "${l[*]}") $(IFS=+; echo "${r[*]}")"
}
# Both slide colours among those seen (joined with blanks or '+').
changed() { [[ $1 == *FF0000* && $1 == *00FF00* ]]; }
# The show's window on the right monitor, given the focus, as a click there would.
focus_right() {
  local w X=0
  for w in $(xdotool search --onlyvisible --classname '^show\.bin$' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)"
    [ "$X" -ge 1280 ] && { xdotool windowfocus --sync "$w" 2>/dev/null; return 0; }
  done
  return 1
}
saver_window() {  # x y w h name: a saver window there, its id in $work/name.id
  "$host" "$1" "$2" "$3" "$4" >"$work/$5.id" &
  pids+=($!)
  for _ in $(seq 50); do [ -s "$work/$5.id" ] && return 0; sleep 0.1; done
  fail "no saver window $5"
}

# 1. Hosted, a process a monitor.
saver_window 0 0 1280 1024 left
saver_window 1280 0 1920 1080 right
XSCREENSAVER_WINDOW=$(cat "$work/left.id") "$work/show.bin" -root 2>"$work/a.log" &
a=$!
pids+=($a)
for _ in $(seq 100); do grep -q "^music: open" "$work/a.log" 2>/dev/null && break; sleep 0.1; done
grep -q "^music: the music plays here" "$work/a.log" || fail "the first saver does not play the music: $(cat "$work/a.log")"
XSCREENSAVER_WINDOW=$(cat "$work/right.id") "$work/show.bin" -root 2>"$work/b.log" &
b=$!
pids+=($b)
both_centred hosted || fail "the savers do not both show their show centred on their monitor: $(colours $(probes $lx $ly)) / $(colours $(probes $rx $ry))"
convert "$shot" -crop 1280x1024+0+0 +repage "$work/hosted-left.png"
convert "$shot" -crop 1920x1080+1280+0 +repage "$work/hosted-right.png"
seen=$(changes)
echo "hosted: the middles showed ${seen% *} (left) and ${seen#* } (right)"
changed "${seen% *}" && changed "${seen#* }" || fail "the savers' slides do not both change: $seen"
# A second process in the right window ends at once; the one there goes on.
XSCREENSAVER_WINDOW=$(cat "$work/right.id") timeout 10 "$work/show.bin" -root 2>"$work/c.log" || fail "a second saver in one window failed"
[ ! -s "$work/c.log" ] || fail "a second saver in one window said something: $(cat "$work/c.log")"
alive "$b" || fail "the saver in the right window ended when a second one came"
alive "$a" || fail "the saver in the left window ended"
grep -q "^music: another process plays the music" "$work/b.log" || fail "the second saver did not leave the music to the first"
grep -qE "^music: (open|play|resume)" "$work/b.log" && fail "the second saver plays music too: $(grep '^music:' "$work/b.log" | tr '\n' '|')"
grep -qE "^music: (play|resume)" "$work/a.log" || fail "the first saver's music does not play"
echo "hosted: both savers play, the music in the first only"
# The one with the music dies: the other takes it over with the track after the last it opened.
last=$(grep -Eo '^music: open [0-9]+' "$work/a.log" | tail -1 | grep -Eo '[0-9]+$')
disown "$a"  # no word from the shell about the kill
kill -KILL "$a"
waitgone "$a" 5 || fail "the first saver did not die"
for _ in $(seq 40); do grep -qE "^music: (play|resume)" "$work/b.log" && break; sleep 0.1; done
trace=$(grep '^music:' "$work/b.log" | tr '\n' '|')
echo "the second saver's music after the first died: $trace"
[[ $trace == *"music: taken over after track $last|music: open $(((last + 1) % 2))|music: play|"* ]] ||
  fail "the second saver did not take the music over at its next track (the first last opened track $last)"
kill -TERM "$b"
waitgone "$b" 5 || fail "SIGTERM did not end the second saver"
kill "${pids[@]:1}" 2>/dev/null || true  # the saver windows

# 2. Full screen over both monitors. The checks that fail are gathered.
missing=()
check() { "${@:2}" || missing+=("$1"); }
"$work/show.bin" /s 2>"$work/full.log" &
show=$!
pids+=($show)
waitshow show.bin || fail "the full-screen show did not come"
check "both monitors show the show, a picture centred on each for its own size" both_centred full
convert "$shot" -crop 1280x1024+0+0 +repage "$work/full-left.png"
convert "$shot" -crop 1920x1080+1280+0 +repage "$work/full-right.png"
seen=$(changes)
echo "full screen: the middles showed ${seen% *} (left) and ${seen#* } (right)"
check "the left monitor's slides change" changed "${seen% *}"
check "the right monitor's slides change" changed "${seen#* }"
check "the music plays once" [ "$(grep -c "^music: the music plays here" "$work/full.log")" = 1 ]
check "the music plays" grep -qE "^music: (play|resume)" "$work/full.log"
xdotool mousemove $rx $ry
check "the right monitor has a window of the show" focus_right
xdotool key Escape
check "a key on the right monitor ends the show" waitgone "$show" 3
if alive "$show"; then kill -TERM "$show"; waitgone "$show" 5 || fail "SIGTERM did not end the show"; fi

# With a password: the prompt opens once, on the monitor under the pointer, and the right
# password ends the show.
settings '"Mouse Move"=dword:00000000' '"Esc Key"=dword:00000001' '"Enabled password"=dword:00000001' '"Pwd"="Secret"'
"$work/show.bin" /s 2>"$work/full.log" &
show=$!
pids+=($show)
waitshow show.bin || fail "the show with a password did not come"
sleep 0.5
xdotool mousemove $rx $ry
focus_right || true
xdotool key Escape
prompts=()
for _ in $(seq 50); do
  prompts=($(xdotool search --onlyvisible --name "Screensaver Password" 2>/dev/null || true))
  [ "${#prompts[@]}" -gt 0 ] && break
  sleep 0.1
done
sleep 0.3
prompts=($(xdotool search --onlyvisible --name "Screensaver Password" 2>/dev/null || true))
check "the password prompt opens once (${#prompts[@]} opened)" [ "${#prompts[@]}" = 1 ]
if [ "${#prompts[@]}" -ge 1 ]; then
  eval "$(xdotool getwindowgeometry --shell "${prompts[0]}")"
  echo "the password prompt stands at $X,$Y (${WIDTH}x$HEIGHT)"
  snap prompt
  convert "$shot" -crop 1920x1080+1280+0 +repage "$work/prompt-right.png"
  check "the password prompt opens on the monitor under the pointer (the right one)" [ "$X" -ge 1280 ]
  xdotool windowfocus --sync "${prompts[0]}" type Secret 2>/dev/null || true
  xdotool key Return
  check "the right password ends the show" waitgone "$show" 3
fi
if alive "$show"; then kill -TERM "$show"; waitgone "$show" 5 || fail "SIGTERM did not end the show"; fi

# The screenshots stay for a person to look at when E2E_KEEP names a folder.
[ -n "${E2E_KEEP:-}" ] && cp "$work"/*.png "$E2E_KEEP"/ 2>/dev/null
if [ "${#missing[@]}" -gt 0 ]; then
  printf 'FAIL: %s\n' "${missing[@]}"
  cat "$work/full.log"
  exit 1
fi
echo "PASS"
