#!/usr/bin/env bash
# What each layer of the sources may include (README, Architecture): the
# engine's folders in the order base, model, phase, flash, api, each its own
# and those before it; the routines the engine and, for the legacy form, the
# front ends' speech and writing; the modes and the renderer the public
# headers and their own, main.cpp also the legacy form's entry.
# Argument: SOURCE_DIR
set -uo pipefail
cd "$1"
bad=0
# Fails with the quoted includes under $1 whose target does not match $2.
allow() {
  local off
  off=$(grep -rnHE '^#include "' "$1" | sed -E 's/#include "([^"]*)".*/\1/' | grep -vE ":[0-9]+:($2)$")
  [ -z "$off" ] || { printf '%s\n^ %s may include only %s\n' "$off" "$1" "$2"; bad=1; }
}
below=""
for layer in base model phase flash api; do
  below="${below:+$below|}$layer"
  allow "src/engine/$layer" "engine/($below)/[^/]+|vantrel/[^/]+"
done
allow include/vantrel 'vantrel/[^/]+'
allow src/legacy 'engine/[a-z]+/[^/]+|legacy/[^/]+|vantrel/[^/]+|cli/speech\.h|cli/written\.h'
allow src/cli 'cli/[^/]+|plot/[^/]+|vantrel/[^/]+'
allow src/plot 'cli/[^/]+|plot/[^/]+|vantrel/[^/]+'
allow src/main.cpp 'cli/[^/]+|legacy/vantrel_cli\.h|vantrel/[^/]+'
exit $bad
