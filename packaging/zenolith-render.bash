# bash completion for zenolith-render: its options, pictures for -o, dumps for --dump, and
# fractal files for the input.
_zenolith_render() {
  local cur prev
  cur="${COMP_WORDS[COMP_CWORD]}"
  prev="${COMP_WORDS[COMP_CWORD-1]}"
  case "$prev" in
    -o|--output)
      _filedir png
      return ;;
    --dump)
      _filedir tsv
      return ;;
    --size)
      COMPREPLY=($(compgen -W "640x480 800x600 1024x768 1920x1080" -- "$cur"))
      return ;;
    --threads)
      COMPREPLY=($(compgen -W "$(seq 1 "$(nproc 2>/dev/null || echo 1)")" -- "$cur"))
      return ;;
  esac
  if [[ "$cur" == -* ]]; then
    COMPREPLY=($(compgen -W "-o --output --size --dump --threads --reference --help --version" \
      -- "$cur"))
    return
  fi
  _filedir zlf
}
complete -F _zenolith_render zenolith-render
