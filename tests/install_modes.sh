#!/usr/bin/env bash
# Installs the build tree into a prefix, moves the prefix elsewhere (the
# install must be relocatable), and runs the installed vantrel_cli's modes
# from a directory without data/, as a user would.
# Arguments: BUILD_DIR
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/first" >/dev/null
mv "$work/first" "$work/moved"
mkdir "$work/elsewhere"
cd "$work/elsewhere"
unset VANTREL_DATA
cli="$work/moved/bin/vantrel_cli"

h="$("$cli" state R134a T=20 p=5 --props h --format csv | sed -n 2p)"
echo "state R134a T=20 p=5: h = $h kJ/kg"
# R134a at 20 C and 5 bar: 411.606 kJ/kg (IIR reference state).
awk -v h="$h" 'BEGIN { exit !(h > 411.60 && h < 411.61) }' || { echo "unexpected h"; exit 1; }

count="$("$cli" fluids --format csv | tail -n +2 | wc -l)"
fluids_installed="$(ls "$work/moved/share/vantrel/data"/*/config.txt | wc -l)"  # mixtures/ is no fluid
blends_installed="$(grep -vc '^;' "$work/moved/share/vantrel/data/mixtures/blends.txt")"
[ "$count" -eq "$((fluids_installed + blends_installed))" ] || { echo "fluids lists $count"; exit 1; }
printf 'T,p\n20,5\n' | "$cli" batch --in T,p --props T,p,h | grep -q '^20,5,383.85' || { echo "batch failed"; exit 1; }

# The new modes write no result file beside the executable.
[ ! -e "$work/moved/bin/vantrel_cli.csv" ] || { echo "a mode wrote vantrel_cli.csv"; exit 1; }
echo ok
