#!/usr/bin/env bash
# Builds the configuration without widgets in build-nogui (-DQUORVEL_GUI=OFF:
# the engine, quorvel-cli, the benchmarks and their tests on Qt Core and Qt
# Gui alone; warnings are errors) and runs its tests, the kill test left to
# the full build; then installs it into a temporary prefix, which must hold
# quorvel-cli and nothing of the window. With ccache the objects come from
# the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --test > /dev/null
cmake -S . -B build-nogui -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_GUI=OFF \
    -DQUORVEL_WERROR=ON > /dev/null
cmake --build build-nogui
cd build-nogui
export QUORVEL_REQUIRE_TOOLS=1 # the test packages are installed
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 -E '^kill/' "$@"
cd ..

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install build-nogui --prefix "$prefix" > /dev/null
[[ -x $prefix/bin/quorvel-cli ]] || { echo "test-nogui: quorvel-cli not installed" >&2; exit 1; }
window=$(cd "$prefix" && find . \( -path ./bin/quorvel -o -path './share/applications/*' \
    -o -path './share/metainfo/*' -o -path './share/icons/*' -o -name quorvel.1.gz \
    -o -path ./share/bash-completion/completions/quorvel \) -print)
if [[ -n $window ]]; then
    echo "test-nogui: a build without the window installed the window's files:" >&2
    echo "$window" >&2
    exit 1
fi
echo "test-nogui: installed quorvel-cli without the window's files"
