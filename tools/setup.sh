# Sourced by run.sh and test.sh: installs the missing Debian packages (as root)
# and builds the Release tree in build/.
# What the build needs; a caller may add more in test_packages.
packages=(cmake g++ pkg-config libgtest-dev libeigen3-dev libboost-dev zlib1g-dev nlohmann-json3-dev libcli11-dev
          libplplot-dev plplot-driver-cairo fonts-dejavu-core python3-dev pybind11-dev python3-numpy
          "${test_packages[@]}")
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${missing[@]}" >/dev/null
  else
    echo "Missing packages; install them with:"
    echo "  sudo apt-get install -y ${missing[*]}"
    exit 1
  fi
fi
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" -j"$(nproc)" >/dev/null
