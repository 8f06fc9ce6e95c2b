#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz and runs them one after the
# other from their seeds, sharing SECONDS (default 120) among them: the
# template import, the readers of .xls, .xlsx, .ods and .csv files, of web
# pages (html) and of Excel 2.x–4.0 worksheets (biff2), seeds in
# fuzz/seeds/<format>, and the reading by content (any) from all of them. A finding stops the run and is written to
# build-fuzz/crash-…; once fixed, copy an import finding into
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
formats=(xls xlsx ods csv html biff2 any)
targets=(fuzz_import "${formats[@]/#/fuzz_source_}")
cmake --build build-fuzz --target "${targets[@]}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
share=$(( seconds / ${#targets[@]} ))
[ "$share" -gt 0 ] || share=1

run() { # TARGET SEED_DIR...
    local target=$1
    shift
    mkdir -p "build-fuzz/corpus/$target"
    echo "== $target: ${share}s"
    "build-fuzz/fuzz/$target" -max_total_time="$share" -timeout=20 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix=build-fuzz/ "build-fuzz/corpus/$target" "$@"
}
run fuzz_import tests/excel/fixtures/import-corpus
run fuzz_source_xls fuzz/seeds/xls tests/excel/fixtures/import-corpus
for format in xlsx ods csv html biff2; do
    run "fuzz_source_$format" "fuzz/seeds/$format"
done
run fuzz_source_any fuzz/seeds/*
