#!/usr/bin/env bash
# Faults a new user met, under Xvfb: SIGTERM while a message box is up ends the show with exit 0
# and an empty temporary folder; a missing picture whose close the password refuses is passed
# over without asking again; a damaged key read back after the menu's "Setting" shows its
# message and the show goes on; a dialog picture that does not decode leaves the dialog usable.
# usage: faults_e2e.sh SHOWFORGE SHOWFORGE_TOOL
set -euo pipefail
tool=$2  # $1, the bare player, is what pack copies
. "$(dirname "$0")/lib.sh"
window() {  # name: waits for a window of that title, prints its id
  for _ in $(seq 150); do
    xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 && return 0
    sleep 0.1
  done
  return 1
}
boxes() { message_boxes '^show\.bin$'; }
waitbox() {
  for _ in $(seq 150); do [ "$(boxes)" -ge 1 ] && return 0; sleep 0.1; done
  return 1
}
settings() {  # the values of the key "faults"
  mkdir -p "$work/reg/HKEY_LOCAL_MACHINE/Software/Quillmoor"
  { echo "REGEDIT4"; echo; echo '[HKEY_LOCAL_MACHINE\Software\Quillmoor\faults]'; printf '%s\n' "$@"; } \
    >"$work/reg/HKEY_LOCAL_MACHINE/Software/Quillmoor/faults.reg"
}
terminate() {  # pid what: SIGTERM ends it with 0 and leaves no temporary files
  kill -TERM "$1"
  waitgone "$1" 5 || fail "SIGTERM did not end the show $2"
  wait "$1" || fail "the exit code after SIGTERM $2 was not 0"
  [ -z "$(ls -A "$TMPDIR")" ] || fail "temporary files left behind $2: $(ls -AR "$TMPDIR")"
}

# Pictures beside the program: a.bmp and c.bmp are missing, b.bmp is there.
mkdir -p "$work/show"
convert -size 160x120 xc:blue "$work/show/b.bmp"
cat >"$work/manifest.json" <<JSON
{"header": {"ProjectName": "faults.scr", "DisplaySeconds": 1, "MediaEmbedded": false, "MediaBesideProgram": true,
            "RandomOrder": false, "RandomPosition": false, "ScreenTransitionMode": 0, "FitMode": 3},
 "slides": [{"FileName": "a.bmp", "FormatCode": 1, "ShowCaption": false, "ShowText": false, "EffectList": "",
             "BackgroundKinds": "0;", "RandomBackgroundColor": false},
            {"FileName": "b.bmp", "FormatCode": 1, "ShowCaption": false, "ShowText": false, "EffectList": "",
             "BackgroundKinds": "0;", "RandomBackgroundColor": false},
            {"FileName": "c.bmp", "FormatCode": 1, "ShowCaption": false, "ShowText": false, "EffectList": "",
             "BackgroundKinds": "0;", "RandomBackgroundColor": false}]}
JSON
"$tool" pack "$work/manifest.json" -o "$work/show/show.bin" >/dev/null

# 1. SIGTERM while "File not found" is up: the box closes, no other opens, the program ends.
"$work/show/show.bin" /s 2>"$work/show.log" &
show=$!
pids+=($show)
waitbox || fail "no message box for the missing picture"
import -window root "$work/box.png"
terminate "$show" "under a message box"
echo "SIGTERM under a message box ends the show cleanly"

# 2. With a password, the refused close keeps the show: each missing picture shows its box and
# the prompt once; then the show plays b.bmp and passes over the others without asking again.
settings '"Enabled password"=dword:00000001' '"Pwd"="x"' '"Mouse Move"=dword:00000000'
"$work/show/show.bin" /s 2>"$work/show.log" &
show=$!
pids+=($show)
for missing in a c; do
  waitbox || fail "no message box for $missing.bmp"
  xdotool key Return
  window "Screensaver Password" >/dev/null || fail "no password prompt after the box for $missing.bmp"
  sleep 0.3
  [ "$missing" = a ] && import -window root "$work/refused.png"
  xdotool key Escape
done
asked=0
for _ in $(seq 40); do  # four seconds: two more rounds of the three slides
  [ "$(boxes)" -ge 1 ] && asked=$((asked + 1))
  xdotool search --onlyvisible --name '^Screensaver Password$' >/dev/null 2>&1 && asked=$((asked + 1))
  sleep 0.1
done
[ "$asked" -eq 0 ] || fail "the missing pictures asked again"
alive "$show" || fail "the refused close ended the show"
centre=$(import -window root -crop 1x1+320+240 -depth 8 txt:- 2>/dev/null | grep -Eo '#[0-9A-F]{6}' | head -1)
[ "$centre" = "#0000FF" ] || fail "the show does not play the picture that is there (centre $centre)"
terminate "$show" "after the refused closes"
echo "a refused close passes over the missing pictures for the run"

# 3. Menu mode with a dialog picture that does not decode: the configuration mode opens the
# dialog all the same; during the show the menu's "Setting" opens it, and a key damaged behind
# the show's back gives its message when the settings are read again, and the show goes on.
mkdir -p "$work/menu"
convert -size 160x120 xc:orange "$work/menu/a.bmp"
printf 'not a jpeg' >"$work/menu/face.jpg"
cat >"$work/menu.json" <<JSON
{"header": {"ProjectName": "faults.scr", "DisplaySeconds": 1, "ScreenTransitionMode": 0, "MenuMode": 1,
            "ShowDialogPicture": true},
 "dialogPicture": "menu/face.jpg",
 "slides": [{"file": "menu/a.bmp", "FormatCode": 1, "ShowCaption": false, "ShowText": false, "EffectList": ""}]}
JSON
"$tool" pack "$work/menu.json" -o "$work/menu/show.bin" >/dev/null
settings '"Esc Key"=dword:00000001'
"$work/menu/show.bin" /c 2>"$work/show.log" &
dialog=$!
pids+=($dialog)
w=$(window "Screensaver Setting") || fail "the dialog did not open with a damaged dialog picture"
sleep 0.3
# No button in the task bar, as the system's tool-window style gave.
xprop -id "$w" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR || fail "the dialog has a task-bar entry"
import -window root "$work/dialog.png"
xdotool key Escape
waitgone "$dialog" 5 || fail "Escape did not close the dialog"
wait "$dialog" || fail "the dialog with a damaged picture did not end with 0"

"$work/menu/show.bin" /s 2>"$work/show.log" &
show=$!
pids+=($show)
waitshow show.bin || fail "the show with a menu did not open"
sleep 0.5
settings '"Esc Key"=dword:00000001' '"Mouse Sensitivity"="high"'
xdotool mousemove 200 200 click 3
sleep 0.5
xdotool mousemove 215 210 click 1
window "Screensaver Setting" >/dev/null || fail "the Setting item opened no dialog"
sleep 0.3
xdotool key Escape  # Cancel: the key stays as it is, and is read again
waitbox || fail "no message for the damaged key"
sleep 0.3
import -window root "$work/reload.png"
xdotool key Return
sleep 1
alive "$show" || fail "the damaged key ended the show"
[ "$(boxes)" -eq 0 ] || fail "the message stayed up"
xdotool key Escape
waitgone "$show" 3 || fail "Escape did not end the show after the message"
echo "a damaged key read back during the show gives its message and the show goes on"
[ -n "${SHOWFORGE_E2E_SHOTS:-}" ] && cp "$work"/{box,refused,dialog,reload}.png "$SHOWFORGE_E2E_SHOTS"/
echo "PASS"
