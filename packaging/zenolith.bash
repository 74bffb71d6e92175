# bash completion for zenolith: the one file it opens, a fractal or a project.
_zenolith() {
  [ "$COMP_CWORD" -eq 1 ] || return
  _filedir '@(zlf|kvp)'
}
complete -F _zenolith zenolith
