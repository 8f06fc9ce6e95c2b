#!/usr/bin/env bash
# scripts/check-layers.sh against deliberate includes and declarations: each
# case writes one line into a copy of the tree (a new file, or appended to
# an existing one, or a sed edit of it) and expects the check to pass, or to
# fail naming the file.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
backup=$(mktemp)
trap 'rm -rf "$work" "$backup"' EXIT
(cd "$root" && find src tests bench fuzz scripts -path tests/excel/fixtures -prune -o \
    \( -name '*.h' -o -name '*.cpp' -o -name CMakeLists.txt -o -name 'check-*.sh' \) -print0 |
    xargs -0 cp --parents -t "$work")

# expected|file|line (appended; a file that does not exist is made) or
# expected|file|s/…/…/ (a sed edit of the file).
cases=(
    'pass|src/store/layercase.cpp|#include "core/context.h"'
    'fail|src/store/layercase.cpp|#include "rules/ruleset.h"'
    'fail|src/store/layercase.cpp|#include <rules/ruleset.h>'
    'fail|src/store/layercase.cpp|  #  include "../rules/ruleset.h"'
    'fail|src/store/layercase.cpp|#include "src/rules/ruleset.h"'
    'pass|src/division/layercase.cpp|#include <rules/ruleset.h>'
    'pass|src/division/layercase.cpp|#include "balance/balancer.h"'
    'fail|src/division/layercase.cpp|#include "stats/chartdata.h"'
    'fail|src/balance/layercase.cpp|#include "core/context.h"'
    'pass|src/cli/layercase.cpp|#include "publish/draw.h"'
    'fail|src/cli/layercase.cpp|#include "shell/mainwindow.h"'
    'fail|src/shell/sub/layercase.cpp|#include "cli/cli.h"'
    'fail|src/extra/layercase.cpp|int x;'
    'fail|src/CMakeLists.txt|s/^quorvel_room(store DEPS core /quorvel_room(store DEPS core rules /'
    'fail|src/CMakeLists.txt|s/^quorvel_room(rules DEPS /quorvel_room(rules DEPS nosuchroom /'
    'pass|tests/store/layercase.cpp|#include "support/storeintake.h"'
    'fail|tests/store/layercase.cpp|#include "support/intake.h"'
    'fail|tests/store/layercase.cpp|#include <cli/cli.h>'
    'pass|tests/division/layercase.cpp|#include "balance/balancer.h"'
    'pass|tests/division/layercase.cpp|#include "support/importprobe.h"'
    'fail|tests/division/layercase.cpp|#include "stats/chartdata.h"'
    'fail|tests/division/layercase.cpp|#include "support/clirun.h"'
    'fail|tests/division/layercase.cpp|#include "support/nosuchunit.h"'
    'fail|tests/support/storeintake.cpp|#include "intake.h"'
    'fail|tests/support/fakeprompt.h|#include "store/store.h"'
    'fail|tests/support/layercase.h|#pragma once'
    'fail|tests/extra/layercase.cpp|int x;'
    'pass|bench/layercase.cpp|#include "cli/cli.h"'
    'fail|bench/layercase.cpp|#include "shell/mainwindow.h"'
    'pass|fuzz/layercase.cpp|#include "support/intake.h"'
    'fail|fuzz/layercase.cpp|#include "rules/ruleset.h"'
)

failed=0
for c in "${cases[@]}"; do
    IFS='|' read -r expected file line <<<"$c"
    target=$work/$file
    existed=0
    if [ -e "$target" ]; then
        existed=1
        cp "$target" "$backup"
    fi
    mkdir -p "$(dirname "$target")"
    if [[ "$line" == s/* ]]; then
        sed -i "$line" "$target"
        cmp -s "$target" "$backup" && { echo "FAIL: the edit of $file changed nothing"; failed=1; }
    else
        echo "$line" >>"$target"
    fi
    status=0
    out=$("$work/scripts/check-layers.sh" 2>&1) || status=$?
    if [ "$expected" = pass ] && [ $status -ne 0 ]; then
        echo "FAIL: refused $file: $line"
        echo "$out"
        failed=1
    elif [ "$expected" = fail ] && { [ $status -eq 0 ] || [[ "$out" != *"$(dirname "$file")"* ]]; }; then
        echo "FAIL: let pass $file: $line"
        echo "$out"
        failed=1
    else
        echo "ok: $expected $file: $line"
    fi
    if [ $existed = 1 ]; then
        cp "$backup" "$target"
    else
        rm "$target"
        rmdir -p --ignore-fail-on-non-empty "$(dirname "$target")"
    fi
done
exit $failed
