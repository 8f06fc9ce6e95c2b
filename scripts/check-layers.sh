#!/usr/bin/env bash
# Fails when a source file includes a room above its own. The order of the
# rooms is read from the quorvel_room() lines of src/CMakeLists.txt, the one
# table the build links by: a room may include itself and the rooms before it,
# an ALONE room only itself; the front ends (quorvel_front()) may include every
# room of the engine but not each other; a view (quorvel_view(), drawing both
# front ends share) may include every room and is included by the front ends
# only. The tests of a room (tests/<room>)
# keep to the same order; tests/support serves them all.
set -euo pipefail
cd "$(dirname "$0")/.."

rooms=()
declare -A rank=() alone=()
while read -r kind name rest; do
    rooms+=("$name")
    if [ "$kind" = room ]; then
        rank[$name]=${#rooms[@]}
        [[ " $rest " == *" ALONE "* ]] && alone[$name]=1
    else
        rank[$name]=$kind
    fi
done < <(sed -n 's/^quorvel_\(room\|front\|view\)(\([a-z0-9_]*\)\(.*\))$/\1 \2 \3/p' src/CMakeLists.txt)
[ ${#rooms[@]} -gt 0 ] || { echo "check-layers: no rooms found in src/CMakeLists.txt" >&2; exit 1; }

# may_include ROOM TARGET: whether a file of ROOM may include a header of TARGET.
may_include() {
    local room=$1 target=$2
    [ "$room" = "$target" ] && return 0
    [ "${rank[$target]}" = front ] && return 1
    [ "${rank[$target]}" = view ] && { [ "${rank[$room]}" = front ]; return; }
    [ "${rank[$room]}" = front ] || [ "${rank[$room]}" = view ] && return 0
    [ -z "${alone[$room]:-}" ] && [ "${rank[$target]}" -lt "${rank[$room]}" ]
}

failures=0
for dir in src/*/; do
    room=$(basename "$dir")
    if [ -z "${rank[$room]:-}" ]; then
        echo "check-layers: $dir is not a room of src/CMakeLists.txt"
        failures=$((failures + 1))
    fi
done

check_folder() { # check_folder ROOM FOLDER
    local room=$1 folder=$2 file line target
    [ -d "$folder" ] || return 0
    while IFS=: read -r file line target; do
        target=${target%%/*}
        [ -n "${rank[$target]:-}" ] || continue
        if ! may_include "$room" "$target"; then
            echo "check-layers: $file:$line: the room $room includes $target, which comes after it"
            failures=$((failures + 1))
        fi
    done < <(grep -rnoE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]*/' "$folder" |
             sed -E 's/^([^:]*):([0-9]*):.*"(.*)$/\1:\2:\3/')
}

for room in "${rooms[@]}"; do
    check_folder "$room" "src/$room"
    check_folder "$room" "tests/$room"
done

if [ "$failures" -gt 0 ]; then
    echo "check-layers: $failures include(s) against the order of the rooms"
    exit 1
fi
echo "check-layers: the includes of ${#rooms[@]} rooms keep to their order (${rooms[*]})"

# SQL is written in the store only.
scripts/check-sql.sh
