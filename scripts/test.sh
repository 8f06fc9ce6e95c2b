#!/usr/bin/env bash
# Sets up, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --test
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 "$@"
