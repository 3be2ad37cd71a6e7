# What the desktop tests share: a private working folder and environment, an Xvfb screen of its
# own, and waiting on the program's process. Source it with the first display number to try.
# usage: . lib.sh FIRST_DISPLAY [Xvfb options...]
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

first=$1
shift
display=""
for d in $(seq "$first" $((first + 49))); do [ -e "/tmp/.X$d-lock" ] || { display=$d; break; }; done
Xvfb ":$display" -screen 0 640x480x24 -nolisten tcp "$@" >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$display"
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
