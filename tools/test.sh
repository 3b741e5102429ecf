#!/usr/bin/env bash
# Installs what is missing, builds in Release and runs the whole test suite.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# The tests also need python3-iapws and Pillow, valgrind, Chromium and pdftoppm.
test_packages=(python3-iapws python3-pil valgrind chromium poppler-utils)
source "$root/tools/setup.sh"
cd "$root/build"
ctest --output-on-failure -j"$(nproc)"
