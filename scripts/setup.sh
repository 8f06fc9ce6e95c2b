#!/usr/bin/env bash
# Installs the Debian packages Quorvel needs to build, run and test (--test),
# or also to build with sanitizers and fuzz (--sanitize), or to build and
# check the Debian package (--package), when any is missing, and configures
# and builds the build folder; QUORVEL_WERROR=ON in the environment (as CI
# sets it) makes that build treat warnings as errors. --format installs only
# the format check's clang-format and builds nothing.
set -euo pipefail
cd "$(dirname "$0")/.."

build_packages=(cmake ninja-build g++ ccache pkg-config qt6-base-dev qt6-base-dev-tools qt6-charts-dev libgl1-mesa-dev
                libsqlite3-dev libfreexl-dev libxlsxwriter-dev libzip-dev libxml2-dev libicu-dev fonts-wqy-microhei
                fonts-wqy-zenhei qt6-translations-l10n)
# The printed pages are read back with pdftotext, in each Chinese font the
# package accepts (the build's own fonts above, and Noto CJK); the lookup
# page runs in chromium. The window speaks Qt's own Chinese texts
# (qt6-translations-l10n, with the build packages so that run.sh has them).
test_packages=(python3-xlrd python3-xlwt python3-openpyxl python3-odf libreoffice-calc-nogui xvfb xauth
               poppler-utils chromium fonts-noto-cjk bc)
# The sanitizer and fuzz builds (scripts/sanitize.sh, scripts/fuzz.sh).
sanitizer_packages=(clang-14 libclang-rt-14-dev)
# The Debian package (scripts/package.sh, scripts/package-check.sh): the icon's
# PNG sizes are rendered with rsvg-convert.
package_packages=(librsvg2-bin dpkg-dev file lintian desktop-file-utils appstream man-db)
# The format check (scripts/check-format.sh): Debian's clang-format.
format_packages=(clang-format-14)

wanted=("${build_packages[@]}")
case "${1:-}" in
    --test) wanted+=("${test_packages[@]}") ;;
    --sanitize) wanted+=("${test_packages[@]}" "${sanitizer_packages[@]}") ;;
    --package) wanted+=("${package_packages[@]}") ;;
    --format) wanted=("${format_packages[@]}") ;;
esac

missing=()
for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi

[ "${1:-}" = --format ] && exit 0

werror=()
[ -z "${QUORVEL_WERROR:-}" ] || werror=(-DQUORVEL_WERROR="$QUORVEL_WERROR")
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${werror[@]}" > /dev/null
cmake --build build
