#!/usr/bin/env bash
# Installs the build tree into a fresh prefix, then builds and runs the
# README's example programs against that installed tree, from another
# directory, as a user's project would: the static archive's with a fluid's
# directory; the shared library's with the data it finds by itself, from the
# tree where it was installed, from the tree moved elsewhere, and from
# $VANTREL_DATA.
# Arguments: BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$1"
source="$2"
work="$(cd "$(mktemp -d)" && pwd -P)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

# The README's files, each the fenced block after its marker line.
for name in CMakeLists.txt example.cpp shared/CMakeLists.txt shared/example_shared.cpp; do
  mkdir -p "$work/example/$(dirname "$name")"
  awk -v marker="<!-- file: $name -->" '
    $0 == marker { found = 1; next }
    found && /^```/ { if (inside) exit; inside = 1; next }
    inside { print }
  ' "$source/README.md" > "$work/example/$name"
  [ -s "$work/example/$name" ] || { echo "README has no $name"; exit 1; }
done

cmake -S "$work/example" -B "$work/example/build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/example/build" >/dev/null
cmake -S "$work/example/shared" -B "$work/shared" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/shared" >/dev/null
cd "$work"
output="$("$work/example/build/example" "$prefix/share/vantrel/data/R507A")"
echo "$output"
expected="h = 383854.00 J/kg, rho = 22.3327 kg/m3, gas"
[ "$(echo "$output" | head -n 1)" = "$expected" ] || { echo "expected: $expected"; exit 1; }

# The shared program links libvantrel.so.1, not the archive.
readelf -d "$work/shared/example_shared" | grep -q 'NEEDED.*\[libvantrel\.so\.1\]' ||
  { echo "example_shared does not link libvantrel.so.1"; exit 1; }

# Its output: the data directory, then h and s of R134a's saturated liquid
# at 0 C counted from the ASHRAE state.
values="h = 51855.94 J/kg, s = 204.3895 J/(kg K)"
check() {  # NAME EXPECTED_DIRECTORY OUTPUT
  echo "$1: $3"
  [ "$3" = "$2"$'\n'"$values" ] || { echo "$1: expected $2 and $values"; exit 1; }
}
check "installed" "$prefix/share/vantrel/data" "$(env -u VANTREL_DATA "$work/shared/example_shared")"
check "empty VANTREL_DATA" "$prefix/share/vantrel/data" "$(VANTREL_DATA= "$work/shared/example_shared")"
mkdir -p "$work/other"
cp -r "$prefix/share/vantrel/data/R134a" "$work/other/"
check "VANTREL_DATA" "$work/other" "$(VANTREL_DATA="$work/other" "$work/shared/example_shared")"

# The Python package, where the build has it: found through the PYTHONPATH
# the README gives, with the data of the tree it is installed in.
for package in "$prefix"/lib/python3*/dist-packages; do
  [ -d "$package/vantrel" ] || continue
  python_says="$(cd "$work" && env -u VANTREL_DATA PYTHONPATH="$package" /usr/bin/python3 -c '
import vantrel
print(vantrel.data_directory())
print(round(vantrel.Fluid("R134a", ref="ASHRAE").state(T=273.15, x=0).h, 2))')"
  echo "python: $python_says"
  [ "$python_says" = "$prefix/share/vantrel/data"$'\n'"51855.94" ] || { echo "python: expected the installed data"; exit 1; }
done

# The tree moved: its library finds the data where the tree now is.
mv "$prefix" "$work/moved"
check "moved" "$work/moved/share/vantrel/data" \
  "$(env -u VANTREL_DATA LD_LIBRARY_PATH="$work/moved/lib" "$work/shared/example_shared")"

# Data that is not there: one line naming where it was looked for.
set +e
missing="$(VANTREL_DATA="$work/none" LD_LIBRARY_PATH="$work/moved/lib" "$work/shared/example_shared" 2>&1)"
status=$?
set -e
echo "missing: $missing"
[ "$status" = 1 ] && [ "$missing" = "Data directory $work/none named by VANTREL_DATA not found." ] ||
  { echo "expected the missing directory's message"; exit 1; }
rm -r "$work/moved/share/vantrel/data"
set +e
missing="$(env -u VANTREL_DATA LD_LIBRARY_PATH="$work/moved/lib" "$work/shared/example_shared" 2>&1)"
status=$?
set -e
echo "not installed: $missing"
[ "$status" = 1 ] && [ "$missing" = "Data directory $work/moved/share/vantrel/data of the installed library not found: set VANTREL_DATA." ] ||
  { echo "expected the missing installed data's message"; exit 1; }
