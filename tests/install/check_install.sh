#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop gets from it: the files,
# the desktop entry and AppStream metadata (their validators), the file types (xdg-mime against
# a data folder holding only the installed files), the icons, the completion, and the
# installed programs run with the build and source folders hidden.
# Usage: check_install.sh BUILD_FOLDER SOURCE_FOLDER
set -euo pipefail
build="$(cd "${1:?usage: check_install.sh BUILD SOURCE}" && pwd)"
source="$(cd "${2:?usage: check_install.sh BUILD SOURCE}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >"$work/install.log"
manifest="$build/install_manifest.txt"
outside="$(grep -v "^$prefix/" "$manifest" || true)"
[ -z "$outside" ] || fail "installed outside the prefix: $outside"

expected=(
  bin/zenolith bin/zenolith-render
  share/man/man1/zenolith.1.gz share/man/man1/zenolith-render.1.gz
  share/bash-completion/completions/zenolith share/bash-completion/completions/zenolith-render
  share/applications/org.zenolith.Zenolith.desktop
  share/metainfo/org.zenolith.Zenolith.metainfo.xml
  share/mime/packages/zenolith.xml
)
for name in "$source"/examples/*.zlf "$source"/examples/palettes/*.cp1; do
  expected+=("share/zenolith/examples/${name#"$source"/examples/}")
done
for icon in apps/zenolith mimetypes/application-x-zenolith-fractal \
    mimetypes/application-x-zenolith-project mimetypes/application-x-zenolith-palette; do
  expected+=("share/icons/hicolor/scalable/$icon.svg")
  for size in 16 22 24 32 48 64 128 256; do
    png="share/icons/hicolor/${size}x$size/$icon.png"
    expected+=("$png")
    if [ -f "$prefix/$png" ]; then
      file "$prefix/$png" | grep -q "PNG image data, $size x $size," ||
        fail "$png: $(file -b "$prefix/$png")"
    fi
  done
done
for name in "${expected[@]}"; do
  [ -f "$prefix/$name" ] || fail "not installed: $name"
done
for program in zenolith zenolith-render; do
  [ -x "$prefix/bin/$program" ] || fail "$program is not executable"
done

# The manual pages: zenolith-render's lists every option its --help does.
page() { LC_ALL=C MANWIDTH=100 man -l "$prefix/share/man/man1/$1.1.gz" 2>"$work/man.err"; }
page zenolith-render >"$work/render.txt" || fail "man cannot show zenolith-render(1)"
for option in --output --size --dump --threads --reference --help --version; do
  grep -q -- "$option" "$work/render.txt" || fail "zenolith-render(1) does not mention $option"
done
page zenolith | grep -q "zenolith \[FILE\]" ||
  fail "zenolith(1) has no synopsis: $(cat "$work/man.err")"

desktop="$prefix/share/applications/org.zenolith.Zenolith.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the desktop entry"
appstreamcli validate --no-net "$prefix/share/metainfo/org.zenolith.Zenolith.metainfo.xml" ||
  fail "appstreamcli refuses the metainfo file"

# A data folder holding only the installed files, as a desktop's database would be made.
data="$work/data"
mkdir -p "$data"
cp -R "$prefix/share/mime" "$prefix/share/applications" "$prefix/share/icons" "$data/"
# Each says that the folder is not among the user's data folders, which is the point.
update-mime-database "$data/mime" >"$work/update.log" 2>&1 ||
  fail "update-mime-database: $(cat "$work/update.log")"
update-desktop-database "$data/applications" >"$work/update.log" 2>&1 ||
  fail "update-desktop-database: $(cat "$work/update.log")"
printf '<?xml version="1.0"?>\n<Project/>\n' >"$work/session.kvp"
query() {
  env -i PATH="$PATH" HOME="$work/home" XDG_DATA_HOME="$data" XDG_DATA_DIRS="$data" \
    XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/config" xdg-mime query "$@"
}
check_type() {  # file type handler
  local type handler
  type="$(query filetype "$1")"
  [ "$type" = "$2" ] || fail "$1 is \"$type\", not $2"
  handler="$(query default "$2" || true)"
  [ "$handler" = "$3" ] || fail "$2 opens with \"$handler\", not \"$3\""
  icon="$(sed -n "s|^$2:||p" "$data/mime/generic-icons" "$data/mime/icons" 2>/dev/null | head -1)"
  icon="${icon:-${2//\//-}}"
  [ -f "$data/icons/hicolor/48x48/mimetypes/$icon.png" ] || fail "$2 has no icon $icon"
}
examples="$prefix/share/zenolith/examples"
check_type "$examples/mandelbrot.zlf" application/x-zenolith-fractal org.zenolith.Zenolith.desktop
check_type "$work/session.kvp" application/x-zenolith-project org.zenolith.Zenolith.desktop
# A palette has a type and an icon, but the program does not open one from the file manager.
check_type "$examples/palettes/fire.cp1" application/x-zenolith-palette ""
icon="$(sed -n 's/^Icon=//p' "$desktop")"
[ -f "$data/icons/hicolor/scalable/apps/$icon.svg" ] || fail "the desktop entry's icon is missing"

# Completion: options, and only pictures after -o and fractal files as input.
mkdir -p "$work/files"
touch "$work/files/a.zlf" "$work/files/b.png" "$work/files/c.txt"
complete_words() {  # line of words to complete; prints the candidates
  (
    cd "$work/files"
    # shellcheck disable=SC1091
    source /usr/share/bash-completion/bash_completion
    # shellcheck disable=SC1090
    source "$prefix/share/bash-completion/completions/$1"
    read -r -a COMP_WORDS <<<"$2"
    COMP_WORDS+=("${3-}")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="$2 ${3-}"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    "$(complete -p "$1" | sed 's/.*-F \([^ ]*\).*/\1/')" "$1" "${3-}" "${COMP_WORDS[COMP_CWORD-1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
  )
}
[ "$(complete_words zenolith-render "zenolith-render" --th)" = "--threads " ] ||
  fail "completion of --th: $(complete_words zenolith-render "zenolith-render" --th)"
[ "$(complete_words zenolith-render "zenolith-render a.zlf -o")" = "b.png " ] ||
  fail "completion after -o: $(complete_words zenolith-render "zenolith-render a.zlf -o")"
[ "$(complete_words zenolith-render "zenolith-render")" = "a.zlf " ] ||
  fail "completion of the input: $(complete_words zenolith-render "zenolith-render")"
[ "$(complete_words zenolith "zenolith")" = "a.zlf " ] ||
  fail "completion of zenolith: $(complete_words zenolith "zenolith")"

# The installed programs, with the build and the source out of reach: each folder is covered
# by an empty one in a mount namespace of their own.
hide() {
  mount -t tmpfs none "$build"
  [ "$source" = "$build" ] || mount -t tmpfs none "$source"
}
export -f hide
export build source
if unshare --mount --propagation private true 2>/dev/null; then
  ns=(unshare --mount --propagation private)
elif unshare --user --map-root-user --mount true 2>/dev/null; then
  ns=(unshare --user --map-root-user --mount)
else
  echo "cannot hide the build folder here (no mount namespaces); skipping the runs" >&2
  [ "$failures" -eq 0 ] || exit 1
  exit 77
fi
# The smoke test itself lives in the source folder: it runs from a copy.
cp "$source/packaging/smoke.sh" "$work/smoke.sh"
"${ns[@]}" bash -c 'hide && [ ! -e "$build/CMakeCache.txt" ] && bash "$0" "$1"' \
  "$work/smoke.sh" "$prefix" || fail "the installed programs do not run without the build"
for program in zenolith zenolith-render; do
  if ldd "$prefix/bin/$program" | grep -q -e "not found" -e "$build"; then
    fail "$program needs libraries it cannot find: $(ldd "$prefix/bin/$program")"
  fi
done

[ "$failures" -eq 0 ] || { echo "$failures failures" >&2; exit 1; }
echo "install checked"
