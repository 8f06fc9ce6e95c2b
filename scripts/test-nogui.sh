#!/usr/bin/env bash
# Builds the configuration without widgets in build-nogui (-DQUORVEL_GUI=OFF:
# the engine, quorvel-cli, the benchmarks and their tests on Qt Core and Qt
# Gui alone; warnings are errors) and runs its tests, the kill test left to
# the full build. With ccache the objects come from the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --test > /dev/null
cmake -S . -B build-nogui -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_GUI=OFF \
    -DQUORVEL_WERROR=ON > /dev/null
cmake --build build-nogui
cd build-nogui
export QUORVEL_REQUIRE_TOOLS=1 # the test packages are installed
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 -E '^kill/' "$@"
