#!/usr/bin/env bash
# The dialogs a running show opens, under Xvfb, while its cycle goes on under them: each stays
# the top-most window of the screen (xwininfo's stacking order) and in the screenshot, and keeps
# the keyboard, whatever the show raises or maps meanwhile.
# 1. A music track that is missing: its message box stays over the slides that follow; Return
#    closes it, the music goes on, later passes over the playlist skip the track silently, and
#    the keys end the show again.
# 2. The password prompt a key opens over a flash slide stays over the end of the movie, the
#    picture the show then brings to the front, and the next flash window; the password typed
#    into it ends the show.
# 3. The settings dialog opened from the flash window's menu stays over the next flash window;
#    Escape cancels it and the show goes on.
# usage: dialogs_e2e.sh SHOWFORGE_TOOL
set -euo pipefail
tool=$1
. "$(dirname "$0")/lib.sh"
command -v ffmpeg >/dev/null && command -v xwininfo >/dev/null || { echo "SKIP: ffmpeg or xwininfo is not installed"; exit 77; }
. "$(dirname "$0")/shots.sh"
export SHOWFORGE_AUDIO=null SHOWFORGE_TRACE=music,flash

# The windows that are up, top-most first, as xwininfo names them ("name": ... WxH+X+Y). A window
# that goes away while they are listed fails the listing: it is taken again.
stack() {
  local visible="" tree="" id rest
  for _ in $(seq 10); do
    visible=$(xdotool search --onlyvisible --name '' 2>/dev/null) && tree=$(xwininfo -root -children 2>/dev/null) && break
    sleep 0.05
  done
  visible=" $(echo $visible) "
  grep -E '^ +0x' <<<"$tree" | while read -r id rest; do
    if [[ $visible == *" $((id)) "* ]]; then echo "$rest"; fi
  done
}
top() { stack | sed -n 1p; }  # the top-most (sed reads to the end: no broken pipe)
# The top-most window is the one given (a pattern on its xwininfo line); fails with the stack.
ontop() {  # pattern what
  local top
  top=$(top)
  [[ $top =~ $1 ]] || { echo "stacking, top-most first:"; stack; fail "$2 is not the top-most window (top: $top)"; }
}
# A message box carries the program's name and is narrower than the screen.
boxontop() {
  [[ $(top) =~ ^\"show\.bin\":.*\ ([0-9]+)x[0-9]+\+ ]] && [ "${BASH_REMATCH[1]}" -lt 640 ]
}
topgeometry() {  # prints the top-most window's width, height, left and top
  top | grep -Eo '[0-9]+x[0-9]+\+[0-9]+\+[0-9]+' | sed -n 1p | tr 'x+' '  '
}
waitwindow() {  # name: waits up to fifteen seconds for a visible window of that name
  for _ in $(seq 150); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}
settings() {  # the registry key of project $1, then its values
  local key=$1
  shift
  mkdir -p "$work/reg/HKEY_LOCAL_MACHINE/Software/Quillmoor"
  { echo "REGEDIT4"; echo; echo "[HKEY_LOCAL_MACHINE\\Software\\Quillmoor\\$key]"; printf '%s\n' "$@"; } \
    >"$work/reg/HKEY_LOCAL_MACHINE/Software/Quillmoor/$key.reg"
}
plays() { grep -c "^flash: play" "$work/show.log" || true; }
startmovies() {  # program: starts the show and waits for its first movie on top
  "$1" /s 2>"$work/show.log" &
  show=$!
  pids+=($show)
  for _ in $(seq 150); do [[ $(top) == '"FlashPanel"'* ]] && break; sleep 0.1; done
}
# The dialog of that name stays the top-most window while the show goes on to its next movie,
# until that movie's window is up beneath it.
staysover() {  # name what
  local under=0
  for _ in $(seq 100); do
    ontop "^\"$1\"" "$2"
    if [ "$(plays)" -ge 2 ] && [[ $(stack) == *'"FlashPanel"'* ]]; then under=1; break; fi
    sleep 0.1
  done
  [ $under = 1 ] || fail "the next movie's window did not come up under $2"
  ontop "^\"$1\"" "$2 over the next movie"
}

convert -size 160x120 xc:yellow "$work/media/a.bmp"
convert -size 160x120 xc:magenta "$work/media/b.bmp"
ffmpeg -v error -f lavfi -i "sine=frequency=440:duration=1" "$work/media/one.wav"
cp "$work/media/one.wav" "$work/media/gone.wav"
ffmpeg -v error -f lavfi -i "color=c=red:s=320x120:r=10:d=1" -c:v mjpeg -q:v 2 -f swf "$work/media/movie.swf"
picture() { echo "{\"file\": \"media/$1.bmp\", \"FormatCode\": 1, \"BackgroundKinds\": \"0;\", \"RandomBackgroundColor\": false,
  \"ShowCaption\": false, \"ShowText\": false, \"EffectList\": \"\", \"MusicDuringSlide\": true}"; }
# A movie of a second, ended by its slide after one second: the slide lasts two ticks.
movie='{"file": "media/movie.swf", "SlideKind": 1, "FlashScaleMode": 0, "FlashAlignMode": 0,
        "FlashBackgroundColor": 8421504, "FlashEndMode": 1, "FlashEndSeconds": 1}'
header='"DisplaySeconds": 1, "RandomOrder": false, "RandomPosition": false, "RandomMusic": false,
        "ScreenTransitionMode": 0, "FitMode": 3'

# 1. Two tracks beside the program, the second missing.
mkdir -p "$work/music"
cat >"$work/music.json" <<JSON
{"header": {"ProjectName": "tracks.scr", $header, "PlayerMediaEmbedded": false, "MediaBesideProgram": true,
            "LoopMusic": true, "MusicPauseTicks": 1, "Texts": {"44": "The file %s is missing."}},
 "music": ["media/one.wav", "media/gone.wav"],
 "slides": [$(picture a), $(picture b)]}
JSON
"$tool" pack "$work/music.json" -o "$work/music/show.bin" >/dev/null
cp "$work/media/one.wav" "$work/music/"
settings tracks '"Esc Key"=dword:00000001' '"Mouse Move"=dword:00000000'
"$work/music/show.bin" /s 2>"$work/show.log" &
show=$!
pids+=($show)
for _ in $(seq 150); do boxontop && break; sleep 0.1; done
boxontop || { stack; fail "no message box on top for the missing track"; }
grep -q "music: close" "$work/show.log" || fail "the box came before the first track ended"
# Two slide steps under the box (one every two seconds): it stays on top.
until=$((SECONDS + 5))
while [ $SECONDS -lt $until ]; do boxontop || { stack; fail "the missing track's message went under the show"; }; done
shoot
cp "$work/now.png" "$work/box.png"
read -r W H X Y < <(topgeometry)
c=$(name "$(pixel $((X + W / 2)) $((Y + 4)))")
[[ $c =~ ^(yellow|magenta|black)$ ]] && fail "the box is not seen in the screenshot (its top shows $c)"
xdotool key Return
for _ in $(seq 30); do boxontop || break; sleep 0.1; done
boxontop && fail "Return did not close the message box"
# The music goes on with the first track and passes over the missing one silently, twice.
before=$(grep -c "^music: open 0" "$work/show.log")
for _ in $(seq 100); do
  boxontop && fail "the missing track's message came again"
  [ "$(grep -c "^music: open 0" "$work/show.log")" -ge $((before + 2)) ] && break
  sleep 0.1
done
[ "$(grep -c "^music: open 0" "$work/show.log")" -ge $((before + 2)) ] || fail "the music did not go on past the missing track"
xdotool key Escape
waitgone "$show" 3 || fail "Escape did not end the show after the message box"
echo "the missing track's message stays on top, once, and gives the keyboard back"

# 2. The password prompt over a flash slide: Escape during the movie opens it; the movie ends,
# the next picture is brought to the front, the next movie's window maps; the prompt stays on top.
cat >"$work/flash.json" <<JSON
{"header": {"ProjectName": "prompt.scr", $header},
 "slides": [$movie, $(picture a), $movie]}
JSON
"$tool" pack "$work/flash.json" -o "$work/prompt.bin" >/dev/null
settings prompt '"Enabled password"=dword:00000001' '"Pwd"="x"' '"Esc Key"=dword:00000001' '"Mouse Move"=dword:00000000'
startmovies "$work/prompt.bin"
xdotool key Escape
waitwindow "Screensaver Password" || fail "Escape during the movie brought no password prompt"
staysover "Screensaver Password" "the password prompt"
shoot
cp "$work/now.png" "$work/prompt.png"
# The prompt draws its own navy caption bar at its top.
read -r W H X Y < <(topgeometry)
[ "$(pixel $((X + W / 2)) $((Y + 8)))" = "#000080" ] || fail "the prompt's caption is not seen in the screenshot"
xdotool type x
xdotool key Return
waitgone "$show" 5 || fail "the password typed into the prompt did not end the show"
echo "the password prompt stays over the next slides and keeps the keyboard"

# 3. The settings dialog from the flash window's menu stays over the next movie's window.
sed 's/"ProjectName": "prompt.scr"/"ProjectName": "menu.scr", "MenuMode": 1/' "$work/flash.json" >"$work/menu.json"
"$tool" pack "$work/menu.json" -o "$work/menu.bin" >/dev/null
settings menu '"Esc Key"=dword:00000001'
startmovies "$work/menu.bin"
xdotool mousemove 200 200 click 3
sleep 0.5
xdotool mousemove 215 210 click 1
waitwindow "Screensaver Setting" || fail "the flash menu's Setting item opened no dialog"
staysover "Screensaver Setting" "the settings dialog"
shoot
cp "$work/now.png" "$work/setting.png"
[[ $(name "$(pixel 320 240)") =~ ^(red|grey|yellow)$ ]] && fail "the dialog is not seen in the screenshot"
xdotool key Escape
for _ in $(seq 30); do xdotool search --onlyvisible --name '^Screensaver Setting$' >/dev/null 2>&1 || break; sleep 0.1; done
xdotool search --onlyvisible --name '^Screensaver Setting$' >/dev/null 2>&1 && fail "Escape did not cancel the dialog"
alive "$show" || fail "the show ended with the dialog"
kill -TERM "$show"
waitgone "$show" 5 || fail "SIGTERM did not end the show"
wait "$show" || fail "the exit code after SIGTERM was not 0"
echo "the settings dialog from the flash menu stays over the next movie"
[ -n "${SHOWFORGE_E2E_SHOTS:-}" ] && cp "$work"/{box,prompt,setting}.png "$SHOWFORGE_E2E_SHOTS"/
echo "PASS"
