#!/usr/bin/env bash
# Sets up, builds and starts Quorvel. Arguments go to the program (e.g. --dir DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec build/src/quorvel "$@"
