# What the desktop tests share: a private working folder and environment, an Xvfb screen of its
# own, and waiting on the program's process.
# usage: . lib.sh
for cmd in Xvfb xdpyinfo xdotool xprop import convert; do
  command -v "$cmd" >/dev/null || { echo "SKIP: $cmd is not installed"; exit 77; }
done
work=$(mktemp -d)
mkdir -p "$work/rt" "$work/tmp" "$work/reg" "$work/media"
chmod 700 "$work/rt"
# Under the sanitizer build, leaks inside the system's own libraries are not the program's.
# One suppression file for every run (the suites and the desktop tests); a later "suppressions=" would
# replace an earlier one rather than add to it.
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/lsan.supp:print_suppressions=0"
export XDG_RUNTIME_DIR=$work/rt TMPDIR=$work/tmp SHOWFORGE_REGISTRY_DIR=$work/reg
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
# The X server's own log, shown with every failure.
xlog() {
  echo "--- the X server's log (${DISPLAY:-no display}):"
  cat "$work/xvfb.log" 2>/dev/null || true
  if [ -n "${xvfb:-}" ] && ! alive "$xvfb"; then echo "(the X server has ended)"; fi
}
fail() {
  echo "FAIL: $*"
  cat "$work/show.log" 2>/dev/null || true
  xlog
  exit 1
}
# A process that runs (a zombie does not).
alive() { [ -d "/proc/$1" ] && ! grep -q '^State:.*Z' "/proc/$1/status" 2>/dev/null; }
# Message boxes carry the program's name, as the run window does; a box is the one that does not
# cover the 640x480 screen. Counts those up for the program whose window name matches $1.
message_boxes() {
  local n=0 w
  for w in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$WIDTH" -lt 640 ] && n=$((n + 1))
  done
  echo "$n"
}
waitgone() {  # pid seconds
  for _ in $(seq $(($2 * 10))); do alive "$1" || return 0; sleep 0.1; done
  return 1
}
# Waits up to fifteen seconds for the show's run window: a visible window of the program's class
# (the file name it runs from; its title is empty) that covers the screen. Input sent before it is
# up goes nowhere.
waitshow() {  # program file name
  local w WIDTH
  for _ in $(seq 150); do
    for w in $(xdotool search --onlyvisible --classname "^${1//./\\.}\$" 2>/dev/null); do
      eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)"
      [ "${WIDTH:-0}" -ge 640 ] && return 0
    done
    sleep 0.1
  done
  return 1
}

# Xvfb picks a free display itself and writes its number once it listens, so that desktop tests
# running side by side never race for one display. It must not reset when its last client leaves
# (-noreset): the reset closes every connection, also one a client opened a moment before whose
# set-up the server had not read yet, and that client finds no display ("could not connect to
# display"). Two clients connecting over and over side by side on a loaded machine lost one
# connection in 40 to 120 that way; none with -noreset. The root is black (-br), a backdrop that
# tells where a window drew. A test that needs a larger screen sets E2E_SCREEN
# (WIDTHxHEIGHTxDEPTH) before it sources this.
xvfb=""
Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN:-640x480x24}" -br -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
pids+=($xvfb)
for _ in $(seq 300); do
  grep -q '^[0-9][0-9]*$' "$work/display" 2>/dev/null && break
  alive "$xvfb" || fail "Xvfb ended before it chose a display"
  sleep 0.1
done
grep -q '^[0-9][0-9]*$' "$work/display" 2>/dev/null || fail "Xvfb chose no display in 30 seconds"
export DISPLAY=":$(cat "$work/display")"
# The test begins once the screen answers a client.
for _ in $(seq 300); do
  xdpyinfo >/dev/null 2>&1 && break
  alive "$xvfb" || fail "Xvfb ended before its screen $DISPLAY answered"
  sleep 0.1
done
xdpyinfo >/dev/null 2>"$work/xdpyinfo.err" || fail "the screen $DISPLAY does not answer: $(cat "$work/xdpyinfo.err")"
