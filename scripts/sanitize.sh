#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# (clang) in build-asan, warnings being errors, and runs every test there; any
# report fails the test that caused it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --sanitize > /dev/null
launcher=()
if command -v ccache > /dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang-14 CXX=clang++-14 cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUORVEL_SANITIZE=address,undefined -DQUORVEL_WERROR=ON "${launcher[@]}" > /dev/null
cmake --build build-asan
cd build-asan
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$PWD/../scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QUORVEL_REQUIRE_TOOLS=1 # the test packages are installed
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 "$@"
