#!/usr/bin/env bash
# The installed package's launcher: with the package's files unpacked under ROOT (the debian_package
# test makes them), the desktop entry's Exec command, started in its Path folder on a private Xvfb
# server, opens the viewer, which prints the shipped model's four count lines, or those of a model
# file handed to it; the window has the entry's class and an icon, and the icon the entry names exists.
# Usage: LauncherTest.sh ROOT
set -euo pipefail
root=$(cd "$1" && pwd)
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
# found on PATH, as a desktop would find it. Its %f is the file handed to it, or nothing.
[[ -n $(field Exec) && -n $(field Path) ]] || fail "the entry lacks Exec or Path"
[[ $(field StartupWMClass) == springview && $(field MimeType) == *model/obj\;* ]] ||
  fail "the entry names no window class springview or no model/obj type"
launch() {  # FILE (or nothing) and the count lines the viewer must print
  local words=() word
  read -r -a words <<<"$(field Exec)"
  command=()
  for word in "${words[@]}"; do
    if [[ $word == %f ]]; then [[ -n $1 ]] && command+=("$1"); else command+=("$word"); fi
  done
  [[ ${command[0]} == /* ]] && command[0]=$root${command[0]}
  (cd "$root$(field Path)" && exec env PATH="$root/usr/bin:$PATH" "${command[@]}") >"$work/out" 2>"$work/err" &
  viewer_pid=$!
  window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Veldrane1$' | head -n1) ||
    fail "no viewer window for '${1:-}'; it wrote: $(cat "$work/out" "$work/err")"
  for _ in $(seq 1 100); do [[ $(cat "$work/out") == "$2" ]] && break; sleep 0.1; done
  [[ $(cat "$work/out") == "$2" ]] || fail "expected the four count lines of '${1:-}', got: $(cat "$work/out" "$work/err")"
  kill -0 "$viewer_pid" || fail "the viewer ended"
  xprop -id "$window" WM_CLASS | grep -q '"springview", "springview"' || fail "window class: $(xprop -id "$window" WM_CLASS)"
  # Read whole before matching: grep -q would stop early and xprop, still writing the picture, end on SIGPIPE.
  [[ $(xprop -id "$window" _NET_WM_ICON) == *'Icon ('* ]] || fail "the window carries no icon"
  kill "$viewer_pid" && wait "$viewer_pid" 2>/dev/null || true
  viewer_pid=
}

# Alone: the shipped sphere. Handed a file: that model, here one the packaged importer made from an
# exported cube of quads in a folder of its own.
launch "" $'vtx   =1002\nnml   =1002\nface  =2000\nspring=3000'
mkdir "$work/my models"
cat >"$work/my models/cube.obj" <<'OBJ'
o Cube
v 1 1 -1
v 1 -1 -1
v 1 1 1
v 1 -1 1
v -1 1 -1
v -1 -1 -1
v -1 1 1
v -1 -1 1
vt 0 0
f 1/1 5/1 7/1 3/1
f 4/1 3/1 7/1 8/1
f 8/1 7/1 5/1 6/1
f 6/1 2/1 4/1 8/1
f 2/1 1/1 3/1 4/1
f 6/1 5/1 1/1 2/1
OBJ
"$root/usr/bin/springview-import" "$work/my models/cube.obj" "$work/my models/springs.obj" >/dev/null ||
  fail "the packaged importer failed"
launch "$work/my models/springs.obj" $'vtx   =8\nnml   =8\nface  =12\nspring=18'
echo "LauncherTest: $(field Exec) in $(field Path) opened the viewer alone and with a model file; $icons icons"
