#!/usr/bin/env bash
# Runs the installed programs of PREFIX (/usr for the Debian package): zenolith-render renders
# an example, and zenolith starts offscreen with one and reads it. Writes only to a scratch
# folder. Usage: packaging/smoke.sh PREFIX
set -euo pipefail
prefix="${1:?usage: smoke.sh PREFIX}"
bin="$prefix/bin"
examples="$prefix/share/zenolith/examples"
work="$(mktemp -d)"
app=""
cleanup() {
  if [ -n "$app" ]; then kill "$app" 2>/dev/null || true; wait "$app" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "smoke: $*" >&2; exit 1; }

# Settings, caches and runtime files of the programs stay in the scratch folder.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

"$bin/zenolith-render" "$examples/mandelbrot.zlf" -o "$work/x.png" --size 96x64 ||
  fail "zenolith-render could not render mandelbrot.zlf"
file "$work/x.png" | grep -q "PNG image data, 96 x 64" ||
  fail "zenolith-render wrote no 96 x 64 picture: $(file "$work/x.png")"
"$bin/zenolith-render" --version | grep -q "^zenolith-render " || fail "no version"
echo "smoke: zenolith-render drew $examples/mandelbrot.zlf"

# The program lists a file among its recent files once it has read it without an error (an
# error would wait in a message box), so the settings show when it is done.
settings="$XDG_CONFIG_HOME/Zenolith/Zenolith.conf"
"$bin/zenolith" "$examples/julia-rabbit.zlf" >"$work/zenolith.log" 2>&1 &
app=$!
read_it=no
for _ in $(seq 600); do
  if grep -qs "julia-rabbit.zlf" "$settings"; then read_it=yes; break; fi
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
if [ "$read_it" != yes ] || ! kill -0 "$app" 2>/dev/null; then
  cat "$work/zenolith.log" >&2
  fail "zenolith did not open julia-rabbit.zlf (still running: $(kill -0 "$app" 2>/dev/null &&
    echo yes || echo no))"
fi
kill "$app"
wait "$app" 2>/dev/null || true
app=""
echo "smoke: zenolith started and opened $examples/julia-rabbit.zlf"
