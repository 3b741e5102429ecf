#!/usr/bin/env bash
# The layers of the sources and what each may include. The engine's folders
# build on one another in the order base, model, phase, flash, api: a folder
# includes its own headers and those of the folders before it, never one
# after it, the routines or a front end. The routines (src/legacy) stand on
# the engine; the legacy command among them also uses the front ends' speech
# and file writing. The modes and the picture renderer include the
# library's public headers and their own; main.cpp adds the legacy command.
# Argument: SOURCE_DIR
set -euo pipefail
cd "$1"
layers=(base model phase flash api)
bad=0

# Prints the quoted includes of the files under $1 (file:line:include) whose
# target does not match the extended regular expression $2.
offending() {
  grep -rnHE '^#include "' "$1" | sed -E 's/#include "([^"]*)".*/\1/' | grep -vE ":[0-9]+:($2)$" || true
}

report() {
  if [ -n "$2" ]; then
    echo "$2"
    echo "^ $1"
    bad=1
  fi
}

allowed=""
for layer in "${layers[@]}"; do
  allowed="${allowed:+$allowed|}$layer"
  report "src/engine/$layer may include only engine/{$allowed}/ and vantrel/" \
    "$(offending "src/engine/$layer" "engine/($allowed)/[^/]+|vantrel/[^/]+")"
done
report "the public headers include only one another" "$(offending include/vantrel 'vantrel/[^/]+')"
report "the routines include the engine, their own and the front ends' speech and writing" \
  "$(offending src/legacy 'engine/[a-z]+/[^/]+|legacy/[^/]+|vantrel/[^/]+|cli/speech\.h|cli/written\.h')"
report "the modes and the renderer include the public headers and their own" \
  "$(offending src/cli 'cli/[^/]+|plot/[^/]+|vantrel/[^/]+')$(offending src/plot 'cli/[^/]+|plot/[^/]+|vantrel/[^/]+')"
report "main.cpp starts the modes or the legacy command" \
  "$(offending src/main.cpp 'cli/[^/]+|legacy/vantrel_cli\.h|vantrel/[^/]+')"
exit $bad
