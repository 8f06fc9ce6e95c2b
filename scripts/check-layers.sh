#!/usr/bin/env bash
# Fails when a file includes a room it does not declare. The declarations are
# the ones the build links by:
# - src/CMakeLists.txt: quorvel_room(NAME DEPS rooms...) lines, each after
#   the rooms it declares; a room's files may include the room itself and its
#   declared rooms only. The front ends (quorvel_front()) may include every
#   room but not each other.
# - tests/CMakeLists.txt: quorvel_test_support(ROOM UNITS...) lines; the
#   tests of a room (tests/<room>) may include the room, the rooms it depends
#   on (directly or through another) and the support units of those rooms; a
#   unit of tests/support the same, counted from its own room. Every file of
#   tests/support is a unit of one room.
# - bench/ and fuzz/CMakeLists.txt: quorvel_uses(TARGET ROOMS ... SUPPORT ...)
#   lines; the folder may include those rooms, what they depend on, and the
#   support of the SUPPORT rooms.
# Every include is checked, in quotes or angle brackets, relative ones too.
# The build runs this script before it compiles anything.
set -euo pipefail
cd "$(dirname "$0")/.."

failures=0
fail() {
    echo "check-layers: $*"
    failures=$((failures + 1))
}

# The one-line declarations of a CMakeLists.txt: "NAME ARGS..." per line.
declarations() { # declarations FUNCTION FILE
    [ -f "$2" ] || return 0
    if grep -nE "^[[:space:]]*$1\([^)]*$" "$2" | grep -q .; then
        fail "$2: a $1() line is not closed on its line"
    fi
    sed -nE "s/^[[:space:]]*$1\(([^)]*)\)[[:space:]]*(#.*)?$/\1/p" "$2"
}

# The words of one section (DEPS, LIBS, ROOMS, SUPPORT) of a declaration.
section() { # section NAME WORDS...
    local name=$1 in=0 out=() w
    shift
    for w in "$@"; do
        case "$w" in
        DEPS | LIBS | ROOMS | SUPPORT) [ "$w" = "$name" ] && in=1 || in=0 ;;
        *) [ $in = 1 ] && out+=("$w") ;;
        esac
    done
    echo "${out[*]}"
}

rooms=()
fronts=()
declare -A kind=() deps=() unit_room=()
while read -r name args; do
    read -ra words <<<"$args"
    kind[$name]=room
    deps[$name]=$(section DEPS "${words[@]}")
    for d in ${deps[$name]}; do
        [ "${kind[$d]:-}" = room ] || fail "src/CMakeLists.txt: $name declares $d, which is not a room before it"
    done
    rooms+=("$name")
done < <(declarations quorvel_room src/CMakeLists.txt)
while read -r name _; do
    kind[$name]=front
    deps[$name]="${rooms[*]}"
    fronts+=("$name")
done < <(declarations quorvel_front src/CMakeLists.txt)
[ ${#rooms[@]} -gt 0 ] || { echo "check-layers: no rooms found in src/CMakeLists.txt" >&2; exit 1; }

# closure_of[NAME]: NAME and every room it depends on, directly or through
# others, blank-separated and blank-enclosed.
declare -A closure_of=()
close_over() { # close_over NAME
    local name=$1 all=" $1 " d c
    [ -z "${closure_of[$name]:-}" ] || return 0
    closure_of[$name]=$all # a cycle (reported above) ends here
    for d in ${deps[$name]:-}; do
        close_over "$d"
        for c in ${closure_of[$d]}; do
            [[ "$all" == *" $c "* ]] || all+="$c "
        done
    done
    closure_of[$name]=$all
}
for name in "${rooms[@]}" "${fronts[@]}"; do
    close_over "$name"
done
closures() { # closures NAMES...: the union of their closures
    local all=" " n c
    for n in "$@"; do
        for c in ${closure_of[$n]:-}; do
            [[ "$all" == *" $c "* ]] || all+="$c "
        done
    done
    echo "$all"
}

while read -r room units; do
    [ -n "${kind[$room]:-}" ] || fail "tests/CMakeLists.txt: test support of $room, which is no room"
    for u in $units; do
        unit_room[$u]=$room
    done
done < <(declarations quorvel_test_support tests/CMakeLists.txt)

for dir in src/*/; do
    room=$(basename "$dir")
    [ -n "${kind[$room]:-}" ] || fail "$dir is not a room of src/CMakeLists.txt"
done
if [ -d tests/support ]; then
    for file in tests/support/*; do
        unit=$(basename "${file%.*}")
        [ -n "${unit_room[$unit]:-}" ] ||
            fail "$file is no unit of a quorvel_test_support() line of tests/CMakeLists.txt"
    done
fi
for dir in tests/*/; do
    name=$(basename "$dir")
    [ -n "${kind[$name]:-}" ] || [ "$name" = support ] && continue
    if find "$dir" -name '*.h' -o -name '*.cpp' | grep -q .; then
        fail "$dir holds code but is not the tests of a room"
    fi
done

# The includes of files (file:line:path) that may name a room, the path made
# relative to src or tests: ../store/store.h and src/store/store.h are
# store/store.h. Those without a folder (<QString>, "local.h") are left out
# except in tests/support, whose units include each other so.
includes() { # includes FOLDERS...
    grep -rnoE --include='*.h' --include='*.cpp' \
        '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][^">]*[">]' "$@" 2>/dev/null |
        sed -E 's/^([^:]*):([0-9]*):[^"<]*["<]([^">]*)[">]$/\1:\2:\3/; s#:(\./|\.\./)+#:#; s#:(src|tests)/#:#' |
        grep -E '^tests/support/|^[^:]*:[0-9]*:[^:]*/' || true
}

# Who each folder is (label), which rooms its files may include (rooms) and
# whose test support (support), blank-separated and blank-enclosed.
declare -A label=() may=() may_support=()
for name in "${rooms[@]}" "${fronts[@]}"; do
    if [ "${kind[$name]}" = room ]; then
        label[src/$name]="the room $name"
        may[src/$name]=" $name ${deps[$name]} "
    else
        label[src/$name]="the front end $name"
        may[src/$name]=" $name ${rooms[*]} "
    fi
    may_support[src/$name]=" "
    label[tests/$name]="the tests of $name"
    may[tests/$name]=${closure_of[$name]}
    may_support[tests/$name]=${closure_of[$name]}
done
for unit in "${!unit_room[@]}"; do
    room=${unit_room[$unit]}
    label[support/$unit]="the test support of $room"
    may[support/$unit]=${closure_of[$room]:-}
    may_support[support/$unit]=${closure_of[$room]:-}
done
for folder in bench fuzz; do
    used=()
    supported=()
    while read -r _ args; do
        read -ra words <<<"$args"
        used+=($(section ROOMS "${words[@]}") $(section SUPPORT "${words[@]}"))
        supported+=($(section SUPPORT "${words[@]}"))
    done < <(declarations quorvel_uses "$folder/CMakeLists.txt")
    for name in "${used[@]}"; do
        [ -n "${kind[$name]:-}" ] || fail "$folder/CMakeLists.txt: quorvel_uses() names $name, which is no room"
    done
    label[$folder]=$folder
    may[$folder]=$(closures "${used[@]}")
    may_support[$folder]=$(closures "${supported[@]}")
done

# Every include of every file, checked against its folder's lists.
while IFS=: read -r file line path; do
    case "$file" in
    tests/support/*) who=${file##*/} who=support/${who%.*} ;;
    src/* | tests/*) who=${file#*/} who=${file%%/*}/${who%%/*} ;;
    *) who=${file%%/*} ;;
    esac
    [ -n "${label[$who]:-}" ] || continue # reported above
    if [[ "$path" == */* ]]; then
        target=${path%%/*}
    elif [[ "$who" == support/* ]] && [ -f "tests/support/$path" ]; then
        target=support
        path=support/$path
    else
        continue
    fi
    if [ "$target" = support ]; then
        unit=${path##*/}
        unit=${unit%.*}
        if [ -z "${unit_room[$unit]:-}" ]; then
            fail "$file:$line: $path is no unit of the test support"
        elif [[ "${may_support[$who]}" != *" ${unit_room[$unit]} "* ]]; then
            fail "$file:$line: ${label[$who]} includes $path, the test support of ${unit_room[$unit]}, which it does not depend on"
        fi
    elif [ -n "${kind[$target]:-}" ] && [[ "${may[$who]}" != *" $target "* ]]; then
        fail "$file:$line: ${label[$who]} includes $target, which it does not declare"
    fi
done < <(includes src tests bench fuzz)

if [ "$failures" -gt 0 ]; then
    echo "check-layers: $failures include(s) or declaration(s) against the rooms' dependencies"
    exit 1
fi
echo "check-layers: the includes keep to the declared dependencies of ${#rooms[@]} rooms and ${#fronts[@]} front ends"

# SQL is written in the store only.
scripts/check-sql.sh
