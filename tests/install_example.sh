#!/usr/bin/env bash
# Installs the build tree into a fresh prefix, then builds and runs the
# README's example program against that installed tree, from another
# directory, as a user's project would.
# Arguments: BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$1"
source="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

# The README's two files, each the fenced block after its marker line.
mkdir -p "$work/example"
for name in CMakeLists.txt example.cpp; do
  awk -v marker="<!-- file: $name -->" '
    $0 == marker { found = 1; next }
    found && /^```/ { if (inside) exit; inside = 1; next }
    inside { print }
  ' "$source/README.md" > "$work/example/$name"
  [ -s "$work/example/$name" ] || { echo "README has no $name"; exit 1; }
done

cmake -S "$work/example" -B "$work/example/build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/example/build" >/dev/null
cd "$work"
output="$("$work/example/build/example" "$prefix/share/vantrel/data/R507A")"
echo "$output"
expected="h = 383854.00 J/kg, rho = 22.3327 kg/m3, gas"
[ "$(echo "$output" | head -n 1)" = "$expected" ] || { echo "expected: $expected"; exit 1; }
