#!/usr/bin/env bash
# Writes the gallery's files with zenolith-gallery and renders each fractal into images/ with
# zenolith-render. Usage: examples/render.sh BUILD_FOLDER
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:?usage: render.sh BUILD_FOLDER}"
cmake --build "$build" --target zenolith-gallery zenolith-render
"$build/examples/zenolith-gallery" "$here"
mkdir -p "$here/images"
for file in "$here"/*.zlf; do
  name="$(basename "$file" .zlf)"
  "$build/src/cli/zenolith-render" "$file" -o "$here/images/$name.png"
done
