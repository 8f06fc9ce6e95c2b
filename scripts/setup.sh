#!/usr/bin/env bash
# Installs the Debian packages Quorvel needs to build, run and test, when any
# is missing, and configures the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."

build_packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev
                libsqlite3-dev libfreexl-dev libxlsxwriter-dev fonts-wqy-microhei)
test_packages=(python3-xlrd python3-xlwt python3-openpyxl libreoffice-calc-nogui xvfb xauth)

wanted=("${build_packages[@]}")
if [ "${1:-}" = "--test" ]; then
    wanted+=("${test_packages[@]}")
fi

missing=()
for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build
