# What the desktop tests share: a private working folder and environment, an X screen of its own
# (an Xvfb screen, or with E2E_MONITORS set two monitors side by side on Xorg's dummy driver),
# and waiting on the program's process.
# usage: . lib.sh
for cmd in xdpyinfo xdotool xprop import convert $([ -n "${E2E_MONITORS:-}" ] && echo xrandr || echo Xvfb); do
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
# Waits for the server $xvfb to write its display number to $work/display and answer a client.
await_display() {  # the server's name, for the messages
  for _ in $(seq 300); do
    grep -q '^[0-9][0-9]*$' "$work/display" 2>/dev/null && break
    alive "$xvfb" || return 1
    sleep 0.1
  done
  grep -q '^[0-9][0-9]*$' "$work/display" 2>/dev/null || fail "$1 chose no display in 30 seconds"
  export DISPLAY=":$(cat "$work/display")"
  # The test begins once the screen answers a client.
  for _ in $(seq 300); do
    xdpyinfo >/dev/null 2>&1 && break
    alive "$xvfb" || fail "$1 ended before its screen $DISPLAY answered"
    sleep 0.1
  done
  xdpyinfo >/dev/null 2>"$work/xdpyinfo.err" || fail "the screen $DISPLAY does not answer: $(cat "$work/xdpyinfo.err")"
}

# Two monitors side by side, LEFT at (0, 0) and RIGHT beside it, both at the top (WIDTHxHEIGHT,
# each a mode of the dummy driver's list: 640x480 to 1920x1080), on an Xorg server with the dummy
# video driver: the server has outputs DUMMY0 to DUMMY15, and RandR puts a monitor on each one
# that is on, which Qt takes for a screen and the pointer can reach (a monitor made by splitting
# one output with --setmonitor is a screen to Qt too, but the pointer never leaves the first).
# The server touches no console (-sharevts -novtswitch, no input devices) and reads no
# configuration but its own; it needs no root rights where Xorg is started without Debian's
# wrapper (xserver-xorg-legacy), which lets only root or a console's user start it. Where it
# cannot start, the test says why and is skipped.
start_monitors() {  # LEFT RIGHT
  local left=$1 right=$2 driver
  command -v Xorg >/dev/null || { echo "SKIP: Xorg is not installed (xserver-xorg-core)"; exit 77; }
  driver=""
  for f in /usr/lib/xorg/modules/drivers/dummy_drv.so /usr/lib/*/xorg/modules/drivers/dummy_drv.so; do
    [ -f "$f" ] && driver=$f
  done
  [ -n "$driver" ] || { echo "SKIP: Xorg's dummy video driver is not installed (xserver-xorg-video-dummy)"; exit 77; }
  mkdir -p "$work/xorg.d"
  # Room for two 1920x1080 monitors side by side; the video memory is in kilobytes.
  cat >"$work/xorg.conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 3840 1080
  EndSubSection
EndSection
CONF
  Xorg -displayfd 3 -config "$work/xorg.conf" -configdir "$work/xorg.d" -logfile "$work/xorg.log" \
    -sharevts -novtswitch -br -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb=$!
  pids+=($xvfb)
  if ! await_display Xorg; then
    echo "SKIP: Xorg with the dummy driver cannot start here:"
    { grep -hE '\(EE\)|Fatal|denied|Only console' "$work/xvfb.log" "$work/xorg.log" 2>/dev/null || true; } | head -5
    exit 77
  fi
  set_monitors "$left" "$right"
}

# Lays the two monitors of start_monitors out anew.
set_monitors() {  # LEFT RIGHT
  local lw=${1%x*} lh=${1#*x} rw=${2%x*} rh=${2#*x} out
  { xrandr --output DUMMY1 --off &&
    xrandr --fb "$(( lw > 640 ? lw : 640 ))x$(( lh > 480 ? lh : 480 ))" --output DUMMY0 --mode "$1" --pos 0x0 &&
    { xrandr --addmode DUMMY1 "$2" 2>/dev/null || true; } &&
    xrandr --fb "$((lw + rw))x$(( lh > rh ? lh : rh ))" --output DUMMY1 --mode "$2" --pos "${lw}x0"; } \
    >"$work/xrandr.log" 2>&1 || fail "the monitors $1 and $2 cannot be set: $(cat "$work/xrandr.log")"
  out=$(xrandr --listmonitors)
  [[ $out == *"Monitors: 2"* && $out == *" ${lw}/"*"x${lh}/"*"+0+0 "* && $out == *" ${rw}/"*"x${rh}/"*"+${lw}+0 "* ]] ||
    fail "RandR does not report the monitors $1 and $2: $out"
}

if [ -n "${E2E_MONITORS:-}" ]; then
  start_monitors $E2E_MONITORS
else
  Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN:-640x480x24}" -br -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb=$!
  pids+=($xvfb)
  await_display Xvfb || fail "Xvfb ended before it chose a display"
fi
