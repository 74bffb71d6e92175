#!/usr/bin/env bash
# Times zenolith-render against fractalnow on the same 1000 x 1000 Mandelbrot image
# (-2..1 x -1.5..1.5, 1000 iterations, escape radius 1000), both writing a picture file.
# Usage: bench/compare_fractalnow.sh [build-folder] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-5}
tools/deps.sh fractalnow bc
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# fractalnow: the same area as centre and span, escape radius 1000, 1000 iterations.
printf 'F075\nMANDELBROT\n-0.5 0 3 3\n1000 1000\n' > "$work/m.fractal"
printf 'R075\n1\n0x0\nITERATIONCOUNT\nSMOOTH\nIDENTITY\n1 0\n0 0x0 1 0xFFFFFF\n' > "$work/m.rendering"

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
timeit() {  # prints the wall seconds of each run
  for _ in $(seq "$runs"); do
    local t0 t1
    t0=$(date +%s.%N); "$@" >/dev/null 2>&1; t1=$(date +%s.%N)
    echo "$t1 - $t0" | bc -l
  done
}
z=$(timeit "$build/src/cli/zenolith-render" bench/data/mandelbrot1000.zlf -o "$work/z.png" | median)
# fractalnow interpolates most pixels by default; -i 1 computes every pixel, as Zenolith does.
f=$(timeit fractalnow -q -j 2 -i 1 -f "$work/m.fractal" -r "$work/m.rendering" -x 1000 -y 1000 -o "$work/f.ppm" | median)
fi=$(timeit fractalnow -q -j 2 -f "$work/m.fractal" -r "$work/m.rendering" -x 1000 -y 1000 -o "$work/f.ppm" | median)
printf 'zenolith-render:                        %.3f s\n' "$z"
printf 'fractalnow -j 2 -i 1 (every pixel):     %.3f s   ratio %.1f x\n' "$f" "$(echo "$f / $z" | bc -l)"
printf 'fractalnow -j 2 (interpolated pixels):  %.3f s   ratio %.1f x\n' "$fi" "$(echo "$fi / $z" | bc -l)"
