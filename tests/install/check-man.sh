#!/usr/bin/env bash
# The man pages render without a single warning in groff and mandoc.
#   check-man.sh MAN_FILE...    Exit 77 (skipped) where neither is installed.
set -uo pipefail
tools=0 status=0
for page in "$@"; do
  if command -v groff >/dev/null; then
    tools=1
    out="$(groff -ww -z -man "$page" 2>&1)"
    [ -z "$out" ] || { echo "groff: $page: $out"; status=1; }
  fi
  if command -v mandoc >/dev/null; then
    tools=1
    out="$(mandoc -T lint "$page" 2>&1)"
    [ -z "$out" ] || { echo "mandoc: $page: $out"; status=1; }
  fi
done
[ "$tools" = 1 ] || { echo "neither groff nor mandoc installed: skipped"; exit 77; }
exit "$status"
