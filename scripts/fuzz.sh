#!/usr/bin/env bash
# Builds the import fuzz target (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz and runs it for SECONDS
# (default 120) from the seed workbooks. A finding stops the run and is
# written to build-fuzz/crash-…; once fixed, copy it into
# tests/excel/fixtures/import-corpus, where the tests replay it.
#
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-120}"
scripts/setup.sh --sanitize > /dev/null
launcher=()
if command -v ccache > /dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUORVEL_SANITIZE=address,undefined -DQUORVEL_FUZZ=ON "${launcher[@]}" > /dev/null
cmake --build build-fuzz --target fuzz_import
mkdir -p build-fuzz/corpus
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
build-fuzz/fuzz/fuzz_import -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix=build-fuzz/ \
    build-fuzz/corpus tests/excel/fixtures/import-corpus
