# What the desktop tests share: a private working folder and environment, an Xvfb screen of its
# own, and waiting on the program's process.
# usage: . lib.sh
for cmd in Xvfb xdotool xprop import convert; do
  command -v "$cmd" >/dev/null || { echo "SKIP: $cmd is not installed"; exit 77; }
done
work=$(mktemp -d)
mkdir -p "$work/rt" "$work/tmp" "$work/reg" "$work/media"
chmod 700 "$work/rt"
# Under the sanitizer build, leaks inside the system's own libraries are not the program's.
export LSAN_OPTIONS="suppressions=$(dirname "${BASH_SOURCE[0]}")/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export XDG_RUNTIME_DIR=$work/rt TMPDIR=$work/tmp SHOWFORGE_REGISTRY_DIR=$work/reg
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  cat "$work/show.log" 2>/dev/null || true
  exit 1
}
# A process that runs (a zombie does not).
alive() { [ -d "/proc/$1" ] && ! grep -q '^State:.*Z' "/proc/$1/status" 2>/dev/null; }
waitgone() {  # pid seconds
  for _ in $(seq $(($2 * 10))); do alive "$1" || return 0; sleep 0.1; done
  return 1
}

# Xvfb picks a free display itself and writes its number once it accepts connections, so that
# desktop tests running side by side never race for one display nor start before their screen.
# The root is black (-br), a backdrop that tells where a window drew.
Xvfb -displayfd 3 -screen 0 640x480x24 -br -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 300); do grep -q '^[0-9][0-9]*$' "$work/display" 2>/dev/null && break; sleep 0.1; done
grep -q '^[0-9][0-9]*$' "$work/display" 2>/dev/null || { echo "FAIL: Xvfb did not start in 30 seconds"; exit 1; }
export DISPLAY=":$(cat "$work/display")"
