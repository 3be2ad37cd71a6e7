#!/usr/bin/env bash
# cmake --install into a temporary prefix: the programs run from there, the tool packs a show with
# the player installed beside it, the demo show and the manual pages are where man and a user look.
# usage: install_prefix.sh BUILD_DIR
set -euo pipefail
build=$1
# Under the sanitizer build, leaks inside the system's own libraries are not the program's.
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/lsan.supp:print_suppressions=0"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
for p in showforge showforge-tool showforge-studio; do
  [ -x "$prefix/bin/$p" ] || fail "bin/$p is not installed"
  ! readelf -d "$prefix/bin/$p" | grep -q "$build" || fail "bin/$p still looks for libraries in the build folder"
done
help=$("$prefix/bin/showforge-tool" --help) || fail "the installed tool does not run"
[[ $help == *"install [--remove] SHOW.scr"* ]] || fail "the installed tool is not this one"

[ -x "$prefix/share/showforge/Demo.scr" ] || fail "the demo show is not installed"
info=$("$prefix/bin/showforge-tool" info "$prefix/share/showforge/Demo.scr") || fail "the installed demo carries no show"
[[ $info == *'ProjectName:                "Demo.scr"'* ]] || fail "the installed demo is not the demo show"

[[ $("$prefix/bin/showforge-studio" --help) == *"usage: showforge-studio"* ]] || fail "the installed studio does not run"
for page in showforge showforge-tool showforge-studio; do
  f="$prefix/share/man/man1/$page.1"
  [ -f "$f" ] || fail "no manual page $page.1"
  if command -v groff >/dev/null; then
    warnings=$(groff -man -Tutf8 -z -wmac "$f" 2>&1)
    [ -z "$warnings" ] || fail "$page.1 does not format cleanly: $warnings"
    [[ $(groff -man -Tutf8 -P-cbou "$f" 2>/dev/null) == *NAME* ]] || fail "$page.1 has no NAME section"
  fi
done
[ -s "$prefix/share/doc/showforge/copyright" ] || fail "the licence is not installed"

# The studio appears in the desktop's menu with its own icon.
desktop="$prefix/share/applications/showforge-studio.desktop"
[ -f "$desktop" ] || fail "the studio's desktop entry is not installed"
grep -qx 'Exec=showforge-studio %F' "$desktop" || fail "the desktop entry does not start the studio"
if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$desktop" 2>&1) || fail "the desktop entry is not valid: $out"
fi
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -s "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon.svg"
png="$prefix/share/icons/hicolor/256x256/apps/$icon.png"
[ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] || fail "no 256-pixel PNG icon $icon.png"
[ "$(od -An -j16 -N8 -tx1 "$png" | tr -d ' ')" = 0000010000000100 ] || fail "$icon.png is not 256 by 256 pixels"

# The installed tool packs with the installed player (the one beside it).
work=$(mktemp -d)
trap 'rm -rf "$prefix" "$work"' EXIT
echo '{"header": {"ProjectName": "Installed.scr"}, "slides": []}' >"$work/show.json"
"$prefix/bin/showforge-tool" pack "$work/show.json" -o "$work/Installed.scr" >/dev/null || fail "the installed tool cannot pack"
cmp -n "$(stat -c %s "$prefix/bin/showforge")" "$prefix/bin/showforge" "$work/Installed.scr" ||
  fail "the packed show does not begin with the installed player"
echo "PASS"
