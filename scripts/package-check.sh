#!/usr/bin/env bash
# Checks the package scripts/package.sh built: lintian finds no error, the
# desktop entry and the AppStream metadata validate, and the programs run
# from the package unpacked into a temporary root: both print the package's
# version, and quorvel-cli runs the README's command-line road.
set -euo pipefail
cd "$(dirname "$0")/.."
readme=$PWD/README.md

debs=(build/package/quorvel_*.deb)
[ -f "${debs[0]}" ] || { echo "no package in build/package: run scripts/package.sh" >&2; exit 1; }
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
fail() { echo "package-check: $*" >&2; exit 1; }

lintian --fail-on error "$deb"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
share=$root/usr/share

desktop=$share/applications/example.quorvel.Quorvel.desktop
desktop-file-validate "$desktop"
appstreamcli validate --no-net "$share/metainfo/example.quorvel.Quorvel.metainfo.xml"

# What the menu entry names must be in the package.
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
icon_name=$(sed -n 's/^Icon=//p' "$desktop")
[ -x "$root/usr/bin/$exec_name" ] || fail "the menu entry starts $exec_name, which is not in the package"
for icon in scalable/apps/$icon_name.svg 16x16/apps/$icon_name.png 48x48/apps/$icon_name.png \
            256x256/apps/$icon_name.png; do
    [ -f "$share/icons/hicolor/$icon" ] || fail "icon $icon missing"
done
for f in man/man1/quorvel.1.gz man/man1/quorvel-cli.1.gz doc/quorvel/copyright \
         doc/quorvel/changelog.gz bash-completion/completions/quorvel-cli \
         bash-completion/completions/quorvel; do
    [ -f "$share/$f" ] || fail "$f missing"
done
for page in quorvel quorvel-cli; do
    LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$share/man/man1/$page.1.gz" | grep -q "Quorvel $version" ||
        fail "manual page $page does not show version $version"
done
bash -n "$share/bash-completion/completions/quorvel-cli"

# The versions, the window's without a display.
[ "$("$root/usr/bin/quorvel-cli" --version)" = "quorvel-cli $version" ] || fail "quorvel-cli --version"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/quorvel" --version)" = "Quorvel $version" ] ||
    fail "quorvel --version"
env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/quorvel" --help | grep -q -- --dir || fail "quorvel --help"

# The README's road, each example as it stands, in a fresh folder.
work=$root/road
mkdir "$work"
steps=0
while IFS= read -r line; do
    read -ra args <<< "$line"
    (cd "$work" && "$root/usr/bin/quorvel-cli" "${args[@]:1}" > last.out) ||
        { cat "$work/last.out"; fail "the README example failed: $line"; }
    steps=$((steps + 1))
done < <(sed -n 's/^    \(quorvel-cli --dir D .*\)$/\1/p' "$readme")
[ "$steps" -ge 2 ] || fail "no README examples found"
echo "package-check: $deb ($version) passed; README road of $steps commands ran from the package"
