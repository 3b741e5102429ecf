#!/usr/bin/env bash
# The modes and the picture renderer include the library's public headers
# and their own, nothing of the engine or the routines.
# Argument: SOURCE_DIR
set -euo pipefail
cd "$1"
if grep -rn '#include "' src/cli src/plot src/main.cpp | grep -v '"cli/\|"plot/\|"vantrel/\|"vantrel_cli.h"'; then
  echo "the lines above include what the front ends may not use"
  exit 1
fi
