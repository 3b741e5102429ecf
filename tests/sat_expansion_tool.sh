#!/usr/bin/env bash
# The expansions shipped in data/ are what the generator makes from the
# fluids' other files, byte for byte.
# Arguments: GENERATOR SOURCE_DIR FLUID...
set -euo pipefail
tool="$1"
source="$2"
shift 2
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for fluid in "$@"; do
  cp -r "$source/data/$fluid" "$work/"
  rm "$work/$fluid/sat_expansion.txt"
  "$tool" "$work/$fluid" >/dev/null
  cmp "$work/$fluid/sat_expansion.txt" "$source/data/$fluid/sat_expansion.txt"
done
