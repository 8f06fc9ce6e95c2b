#!/usr/bin/env bash
# Builds the Debian package build/package/quorvel_VERSION_ARCH.deb from the
# build folder (set up and brought up to date by scripts/setup.sh --package,
# which installs the packaging tools when missing). scripts/package-check.sh
# checks it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --package
rm -f build/package/quorvel_*.deb
(cd build && cpack -G DEB > /dev/null)
ls build/package/quorvel_*.deb
