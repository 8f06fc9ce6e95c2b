#!/usr/bin/env bash
# Sets up, builds (warnings are errors) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
QUORVEL_WERROR=ON scripts/setup.sh --test
cd build
# The test packages are installed: a test needing one of their tools fails
# rather than skips when it is missing.
export QUORVEL_REQUIRE_TOOLS=1
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 "$@"
