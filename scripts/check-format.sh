#!/usr/bin/env bash
# Checks the committed C++ sources (src, tests, bench, fuzz) against the
# committed .clang-format with Debian's clang-format-14 (scripts/setup.sh
# --format installs it) and prints every file that differs.
#
#   scripts/check-format.sh          print the files that differ
#   scripts/check-format.sh --fix    format them in place
#
# A difference fails (strict=1); strict=0 only prints it.
set -euo pipefail
cd "$(dirname "$0")/.."
strict=1
clang_format=clang-format-14
scripts/setup.sh --format > /dev/null

files=()
while IFS= read -r -d '' file; do
    [ -f "$file" ] && files+=("$file")
done < <(git ls-files -z -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' \
                             'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h')
# One run over every file; --dry-run names each place that would change.
mapfile -t differ < <("$clang_format" --style=file --dry-run "${files[@]}" 2>&1 |
                      sed -n 's/^\(.*\):[0-9]*:[0-9]*: warning: .*clang-format-violations.*/\1/p' |
                      sort -u)
if [ "${1:-}" = --fix ] && [ ${#differ[@]} -gt 0 ]; then
    "$clang_format" --style=file -i "${differ[@]}"
    echo "check-format: formatted ${#differ[@]} file(s):"
    printf '  %s\n' "${differ[@]}"
    exit 0
fi

if [ ${#differ[@]} -eq 0 ]; then
    echo "check-format: every file follows .clang-format"
    exit 0
fi
echo "check-format: ${#differ[@]} file(s) differ from .clang-format" \
     "(scripts/check-format.sh --fix formats them):"
printf '  %s\n' "${differ[@]}"
[ "$strict" -eq 0 ] || exit 1
