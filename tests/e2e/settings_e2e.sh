#!/usr/bin/env bash
# The settings dialog and the close events of the real program under Xvfb: the configuration
# mode shows "Screensaver Setting" and OK writes all eighteen values; with settings that enable
# them, Escape, Enter, a click and a 10-pixel mouse move end the show, a disabled event does not;
# with a password the prompt appears, a wrong password keeps the show and the right one in
# another case ends it.
# usage: settings_e2e.sh SHOWFORGE SHOWFORGE_TOOL
set -euo pipefail
tool=$2  # $1, the bare player, is what pack copies
. "$(dirname "$0")/lib.sh"
window() {  # name: waits for a window of that title, prints its id
  for _ in $(seq 150); do
    xdotool search --name "^$1\$" 2>/dev/null | head -1 && return 0
    sleep 0.1
  done
  return 1
}

convert -size 160x120 xc:orange "$work/media/a.bmp"
cat >"$work/manifest.json" <<JSON
{"header": {"ProjectName": "e2eset.scr", "DisplaySeconds": 1, "ScreenTransitionMode": 0},
 "slides": [{"file": "media/a.bmp", "FormatCode": 1, "ShowCaption": false, "ShowText": false, "EffectList": ""}]}
JSON
"$tool" pack "$work/manifest.json" -o "$work/show.bin" >/dev/null
key=$work/reg/HKEY_LOCAL_MACHINE/Software/Quillmoor/e2eset.reg

# The configuration mode: the dialog, and OK (Enter) writes the key with every value.
"$work/show.bin" /c &
dialog=$!
pids+=($dialog)
w=$(window "Screensaver Setting") || fail "no settings dialog"
sleep 0.5
import -window root "$work/dialog.png"
xdotool key Return
waitgone "$dialog" 5 || fail "Enter did not close the dialog with OK"
[ -f "$key" ] || fail "OK wrote no key file"
values=$(grep -c '^"' "$key")
[ "$values" -eq 18 ] || fail "the key holds $values values, not 18"
echo "the dialog wrote $values values"

# Writes the key with the given values (REGEDIT4), the others as the dialog stored them.
settings() {
  {
    echo "REGEDIT4"
    echo
    echo '[HKEY_LOCAL_MACHINE\Software\Quillmoor\e2eset]'
    printf '%s\n' "$@"
  } >"$key"
}
# Starts the show, runs the input, and reports whether the show ended within three seconds.
ends() {  # description, then xdotool arguments (one call)
  local what=$1
  shift
  "$work/show.bin" /s 2>/dev/null &
  local show=$!
  pids+=($show)
  waitshow show.bin || fail "the show did not come ($what)"
  sleep 0.3
  xdotool "$@"
  if waitgone "$show" 3; then echo "ended: $what"; return 0; fi
  kill -TERM "$show"
  waitgone "$show" 5 || true
  echo "went on: $what"
  return 1
}
settings '"Esc Key"=dword:00000001' '"Mouse Move"=dword:00000000' '"Mouse Right Click"=dword:00000000'
ends "Escape" key Escape || fail "Escape did not end the show"
settings '"Esc Key"=dword:00000000' '"Mouse Move"=dword:00000000'
ends "Escape, disabled" key Escape && fail "a disabled Escape ended the show"
settings '"Enter Key"=dword:00000001' '"Mouse Move"=dword:00000000'
ends "Enter" key Return || fail "Enter did not end the show"
settings '"Mouse Left Click"=dword:00000001' '"Mouse Move"=dword:00000000'
ends "a left click" click 1 || fail "a click did not end the show"
settings '"Mouse Left Click"=dword:00000000' '"Mouse Move"=dword:00000000'
ends "a left click, disabled" click 1 && fail "a disabled click ended the show"
settings '"Mouse Move"=dword:00000001' '"Mouse Sensitivity"=dword:00000000'
ends "a 10-pixel move" mousemove 100 100 sleep 0.3 mousemove 110 100 || fail "a 10-pixel move did not end the show"
settings '"Mouse Move"=dword:00000001' '"Mouse Sensitivity"=dword:00000000'
ends "a 9-pixel move" mousemove 100 100 sleep 0.3 mousemove 109 109 && fail "a 9-pixel move ended the show"

# The password: a wrong one keeps the show, the right one in another case ends it.
settings '"Enabled password"=dword:00000001' '"Pwd"="Secret"' '"Esc Key"=dword:00000001' '"Mouse Move"=dword:00000000'
"$work/show.bin" /s 2>/dev/null &
show=$!
pids+=($show)
waitshow show.bin || fail "the show with a password did not come"
sleep 0.3
xdotool key Escape
window "Screensaver Password" >/dev/null || fail "no password prompt"
sleep 0.3
import -window root "$work/prompt.png"
xdotool type --delay 30 "wrong"
xdotool key Return
sleep 1
alive "$show" || fail "a wrong password ended the show"
xdotool key Escape
window "Screensaver Password" >/dev/null || fail "no second password prompt"
sleep 0.3
xdotool type --delay 30 "sECRET"
xdotool key Return
waitgone "$show" 3 || fail "the right password did not end the show"
echo "the password prompt guards the show"

# Menu mode: a right click opens the menu, its "Setting" item the dialog during the show; Escape
# cancels the dialog, and the show goes on until Escape ends it.
sed 's/"ScreenTransitionMode": 0/"ScreenTransitionMode": 0, "MenuMode": 1/' "$work/manifest.json" >"$work/menu.json"
"$tool" pack "$work/menu.json" -o "$work/menu.bin" >/dev/null
settings '"Esc Key"=dword:00000001'
"$work/menu.bin" /s 2>/dev/null &
show=$!
pids+=($show)
waitshow menu.bin || fail "the show with a menu did not come"
sleep 0.3
xdotool mousemove 200 200 click 3
sleep 0.5
xdotool mousemove 215 210 click 1
w=$(window "Screensaver Setting") || fail "the Setting item opened no dialog"
sleep 0.5
import -window root "$work/menu.png"
xdotool key Escape
sleep 0.5
xdotool search --name "^Screensaver Setting\$" >/dev/null 2>&1 && fail "Escape did not cancel the dialog"
alive "$show" || fail "the show ended with the dialog"
xdotool key Escape
waitgone "$show" 3 || fail "Escape did not end the show after the dialog"
echo "the menu's Setting item opens the dialog during the show"
[ -n "${SHOWFORGE_E2E_SHOTS:-}" ] && cp "$work/dialog.png" "$work/prompt.png" "$work/menu.png" "$SHOWFORGE_E2E_SHOTS"/
echo "PASS"
