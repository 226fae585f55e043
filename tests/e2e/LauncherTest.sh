#!/usr/bin/env bash
# The installed package's launcher: with the package's files unpacked under ROOT (the debian_package
# test makes them), the desktop entry's Exec command, started in its Path folder on a private Xvfb
# server, opens the viewer, which prints the shipped model's four count lines; the icon it names exists.
# Usage: LauncherTest.sh ROOT
set -euo pipefail
root=$1
entry=$root/usr/share/applications/springview.desktop
field() { sed -n "s/^$1=//p" "$entry"; }
fail() { echo "LauncherTest: $*" >&2; exit 1; }
[[ -f $entry ]] || fail "no $entry"

# Every icon is a square PNG of the size its folder names.
icons=0
for icon in "$root"/usr/share/icons/hicolor/*/apps/"$(field Icon)".png; do
  [[ -f $icon ]] || fail "no icon named $(field Icon)"
  size=$(basename "$(dirname "$(dirname "$icon")")")
  file "$icon" | grep -q "PNG image data, ${size/x/ x }," || fail "$icon is not a $size PNG: $(file -b "$icon")"
  icons=$((icons + 1))
done

work=$(mktemp -d)
xvfb_pid= viewer_pid=
cleanup() {
  [[ -n $viewer_pid ]] && kill "$viewer_pid" 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 1 200); do [[ -s $work/display ]] && break; sleep 0.05; done
[[ -s $work/display ]] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"

# The entry names the installed system's paths, which here lie under ROOT; a bare command name is
# found on PATH, as a desktop would find it.
read -r -a command <<<"$(field Exec)"
[[ ${#command[@]} -gt 0 && -n $(field Path) ]] || fail "the entry lacks Exec or Path"
[[ ${command[0]} == /* ]] && command[0]=$root${command[0]}
cd "$root$(field Path)"
PATH=$root/usr/bin:$PATH "${command[@]}" >"$work/out" 2>"$work/err" &
viewer_pid=$!

timeout 30 xdotool search --sync --onlyvisible --name '^Veldrane1$' >/dev/null ||
  fail "no viewer window; it wrote: $(cat "$work/out" "$work/err")"
expected=$'vtx   =1002\nnml   =1002\nface  =2000\nspring=3000'
for _ in $(seq 1 100); do [[ $(cat "$work/out") == "$expected" ]] && break; sleep 0.1; done
[[ $(cat "$work/out") == "$expected" ]] || fail "expected the four count lines, got: $(cat "$work/out" "$work/err")"
kill -0 "$viewer_pid" || fail "the viewer ended"
echo "LauncherTest: $(field Exec) in $(field Path) opened the viewer; $icons icons"
