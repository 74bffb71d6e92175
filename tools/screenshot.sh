#!/usr/bin/env bash
# Makes the screenshot of the README again: Zenolith's main window with a few fractal windows
# from examples/, run on a virtual X display (Xvfb) and captured with ImageMagick's import.
# Usage: tools/screenshot.sh [OUTPUT.png]   (default docs/mainwindow.png)
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
out="${1:-docs/mainwindow.png}"

tools/deps.sh xvfb imagemagick fonts-dejavu-core
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target zenolith

# The screen is exactly the main window: without a window manager it has no frame.
width=960
height=640
work="$(mktemp -d)"
xvfb=""
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A project places the windows; the last one is the active one. The files are named relative
# to examples/, where the program runs, so that the captions show short names. No window grows
# beyond the size it opens with.
window() {  # example name left top width height
  cat <<EOF
  <Window>
    <Wave>
      <File>$1.zlf</File>
    </Wave>
    <Name>$2</Name>
    <Left>$3</Left>
    <Top>$4</Top>
    <Width>$5</Width>
    <Height>$6</Height>
    <Normal />
  </Window>
EOF
}
{
  cat <<EOF
<?xml version="1.0" encoding="ISO-8859-1"?>
<!DOCTYPE Project SYSTEM "Project.dtd">

<Project>
  <Version>1.0</Version>
  <NoNameCounter>0</NoNameCounter>
  <Frame>
    <Left>0</Left>
    <Top>0</Top>
    <Width>$width</Width>
    <Height>$height</Height>
    <Normal />
  </Frame>
EOF
  window mandelbrot Mandelbrot 10 10 328 300
  window julia-rabbit Rabbit 610 14 328 290
  window seahorse-fire Seahorse 250 150 328 300
  window julia-spiral Spiral 560 236 320 300
  echo "</Project>"
} >"$work/screenshot.kvp"

display=90
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 "${width}x${height}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do
  [ -S "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done
[ -S "/tmp/.X11-unix/X$display" ] || { echo "Xvfb did not start on :$display" >&2; exit 1; }

# Settings (recent files) of this run stay in the scratch folder.
(cd examples && DISPLAY=":$display" QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$work/config" \
  exec "$root/build/src/app/zenolith" "$work/screenshot.kvp") >"$work/zenolith.log" 2>&1 &
app=$!

# Done when the screen stays the same for two seconds (every picture computed and painted).
previous=""
same=0
for _ in $(seq 120); do
  sleep 1
  kill -0 "$app" 2>/dev/null || { cat "$work/zenolith.log" >&2; echo "zenolith ended" >&2; exit 1; }
  DISPLAY=":$display" import -window root "ppm:$work/screen.ppm"
  now="$(md5sum <"$work/screen.ppm")"
  if [ "$now" = "$previous" ]; then
    same=$((same + 1))
    [ "$same" -ge 2 ] && break
  else
    same=0
  fi
  previous="$now"
done
[ "$same" -ge 2 ] || { echo "the screen did not settle" >&2; exit 1; }

# Written beside the target and renamed: an interrupted run leaves the old picture whole.
mkdir -p "$(dirname "$out")"
convert "$work/screen.ppm" -strip -define png:exclude-chunks=date,time "$out.tmp.png"
sync "$out.tmp.png"
mv "$out.tmp.png" "$out"
echo "wrote $out"
