#!/usr/bin/env bash
# The bash completion offers commands, options, metafiles, project files and
# folders where they belong; the zsh one at least parses.
#   check-completion.sh SOURCE_FOLDER
set -uo pipefail
export LC_ALL=C
source="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work" && mkdir sub && touch a.emf B.WMF c.mvn d.txt
# shellcheck source=/dev/null
. "$source/completions/metrovane.bash"
status=0

# The completion's answer for the words typed, the last one being completed.
offers() {
  local function=_metrovane
  [ "$1" = metrovane-gui ] && function=_metrovane_gui
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  "$function" 2>/dev/null
  printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
}
expect() {
  local want="$1"
  shift
  local got
  got="$(offers "$@")"
  [ "$got" = "$want" ] || { echo "'$*': offered '$got', expected '$want'"; status=1; }
}
expect "convert project run " metrovane ""
expect "--help --version -V -h " metrovane -
expect "--r14 " metrovane convert --r
expect "B.WMF a.emf sub " metrovane convert ""
expect "B.WMF a.emf sub " metrovane convert -o aus x.emf ""
expect "sub " metrovane convert -o ""
expect "c.mvn sub " metrovane run -j 2 ""
expect "create show " metrovane project ""
expect "c.mvn sub " metrovane project show ""
expect "--files-from " metrovane project create --fi
expect "a.emf " metrovane convert a
expect "B.WMF a.emf c.mvn sub " metrovane-gui ""

if command -v zsh >/dev/null; then
  zsh -n "$source/completions/_metrovane" || { echo "zsh completion does not parse"; status=1; }
fi
exit "$status"
