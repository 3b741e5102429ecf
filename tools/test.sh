#!/usr/bin/env bash
# Installs what is missing, builds in Release and runs the whole test suite.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# The tests also need python3-iapws and Pillow, valgrind, Chromium and pdftoppm,
# and pytest for the Python module.
test_packages=(python3-iapws python3-pil valgrind chromium poppler-utils python3-pytest)
source "$root/tools/setup.sh"
cd "$root/build"
ctest --output-on-failure -j"$(nproc)"
