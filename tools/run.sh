#!/usr/bin/env bash
# Installs what is missing, builds in Release and runs vantrel_cli from the
# repository root (where data/ is). Arguments: TEMPERATURE PRESSURE [AGENT],
# default 20 5.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/tools/setup.sh"
cd "$root"
if [ $# -eq 0 ]; then set -- 20 5; fi
exec "$root/build/vantrel_cli" "$@"
