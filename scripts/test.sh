#!/usr/bin/env bash
# Sets up, builds (warnings are errors) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
QUORVEL_WERROR=ON scripts/setup.sh --test
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 "$@"
