#!/usr/bin/env bash
# Shows that two builds give the same pictures, files and messages:
#   - every fractal file of examples/, tests/data/ and the fuzz corpus is rendered by both
#     builds' zenolith-render into a PNG and a dump; the pictures, the dumps, the exit status
#     and the messages must be the same byte for byte;
#   - every fractal, palette and project file there is read and written again by both builds'
#     zenolith-resave; the files written, the exit status and the messages must be the same.
# Usage: tools/compare_builds.sh OLD_BUILD NEW_BUILD
# A build without zenolith-resave gets one: its source tree (from its CMakeCache.txt) is checked
# out at OLD_COMMIT (default: that tree's HEAD) into a temporary worktree, this tree's
# tools/resave is added to it and built there. Exit status 0 when everything is the same.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
old="$(cd "${1:?usage: compare_builds.sh OLD_BUILD NEW_BUILD}" && pwd)"
new="$(cd "${2:?usage: compare_builds.sh OLD_BUILD NEW_BUILD}" && pwd)"
work="$(mktemp -d)"
worktrees=()
cleanup() {
  for tree in "${worktrees[@]+"${worktrees[@]}"}"; do
    git -C "$tree" worktree remove --force "$tree" >/dev/null 2>&1 || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

# The resave tool of build $1, built beside it from its own sources when it has none.
resave_of() {
  local build="$1" name="$2"
  if [ -x "$build/tools/resave/zenolith-resave" ]; then
    echo "$build/tools/resave/zenolith-resave"
    return
  fi
  local source
  source="$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")"
  local commit="${OLD_COMMIT:-$(git -C "$source" rev-parse HEAD)}"
  local tree="$work/$name-tree"
  echo "   building zenolith-resave for $build at ${commit:0:12}" >&2
  git -C "$source" worktree add --detach "$tree" "$commit" >/dev/null 2>&1
  worktrees+=("$tree")
  cp -r "$here/tools/resave" "$tree/tools/resave"
  echo 'add_subdirectory(tools/resave)' >>"$tree/CMakeLists.txt"
  cmake -S "$tree" -B "$tree/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENOLITH_GUI=OFF \
    -DZENOLITH_TESTS=OFF -DZENOLITH_BENCH=OFF >/dev/null
  cmake --build "$tree/build" -j"$(nproc)" --target zenolith-resave >/dev/null
  echo "$tree/build/tools/resave/zenolith-resave"
}

old_resave="$(resave_of "$old" old)"
new_resave="$(resave_of "$new" new)"
# resave_of runs in a subshell: the worktrees it made are found again for the cleanup.
for tree in "$work"/*-tree; do [ -d "$tree" ] && worktrees+=("$tree"); done

# Messages name the source line of a failed check, which builds do not share, and the outputs,
# which differ by side.
normalise() {
  sed -E -e 's/In [^ ]+ line [0-9]+: /In SOURCE line N: /' -e "s#$work/(old|new)/#OUT/#g" "$1"
}

differences=0
compared=0
# Runs "$@" with OUT replaced by $side's output prefix; keeps its status and messages.
run_side() {
  local side="$1" out="$2"
  shift 2
  local args=()
  for a in "$@"; do args+=("${a//@OUT@/$out}"); done
  set +e
  "${args[@]}" >"$out.stdout" 2>"$out.stderr"
  echo $? >"$out.status"
  set -e
  normalise "$out.stderr" >"$out.messages"
}
# Compares the files of both sides named by the suffixes given.
compare() {
  local what="$1"
  shift
  compared=$((compared + 1))
  for suffix in .status .messages "$@"; do
    local a="$work/old/case$compared$suffix" b="$work/new/case$compared$suffix"
    if [ -e "$a" ] || [ -e "$b" ]; then
      if ! cmp -s "$a" "$b"; then
        echo "DIFFERENT $what ($suffix)"
        differences=$((differences + 1))
      fi
    fi
  done
}
mkdir -p "$work/old" "$work/new"

mapfile -t fractals < <(cd "$here" && find examples tests/data fuzz/corpus -type f -name '*.zlf' | sort)
mapfile -t saved < <(cd "$here" && find examples tests/data fuzz/corpus -type f \
  \( -name '*.zlf' -o -name '*.cp1' -o -name '*.kvp' \) | sort)

echo "== rendering ${#fractals[@]} fractal files"
for file in "${fractals[@]}"; do
  n=$((compared + 1))
  run_side old "$work/old/case$n" "$old/src/cli/zenolith-render" "$here/$file" \
    -o "@OUT@.png" --dump "@OUT@.dump"
  run_side new "$work/new/case$n" "$new/src/cli/zenolith-render" "$here/$file" \
    -o "@OUT@.png" --dump "@OUT@.dump"
  compare "render $file" .png .dump
done

echo "== re-saving ${#saved[@]} fractal, palette and project files"
for file in "${saved[@]}"; do
  n=$((compared + 1))
  extension="${file##*.}"
  run_side old "$work/old/case$n" "$old_resave" "$here/$file" "@OUT@.$extension"
  run_side new "$work/new/case$n" "$new_resave" "$here/$file" "@OUT@.$extension"
  # The messages name the output only when it cannot be written: the same on both sides.
  compare "resave $file" ".$extension"
done

read_back=$(grep -lx 0 "$work"/new/*.status | wc -l)
echo "== $compared cases compared, $read_back of them read and written; $differences differences"
[ "$differences" -eq 0 ]
