#!/usr/bin/env bash
# Fails when a source file of the engine or its front ends outside src/store
# writes SQL: a string literal holding an SQL keyword or an SQLite function
# call, or a call of quoteIdent or RowSet::openSql. Statements are built by
# the store's functions only, which take typed arguments and bind values.
# The files listed in `pending` still build their own statements and are
# moved into the store one by one; a listed file that has become clean fails
# the check too, so the list only shrinks.
set -euo pipefail
cd "$(dirname "$0")/.."

pending=(
)

# findings FILE...: "file:line: what" for every line that writes SQL; whole-
# line comments are left out.
findings() {
    perl -ne '
        BEGIN {
            $kw = qr/\b(?:SELECT|INSERT|UPDATE|DELETE|REPLACE INTO|CREATE|DROP|ALTER|PRAGMA|VACUUM|ATTACH|BEGIN|COMMIT|ROLLBACK|SAVEPOINT|FROM|WHERE|JOIN|VALUES|DISTINCT|HAVING|LIMIT|GROUP BY|ORDER BY|IS NULL|IS NOT NULL|CASE WHEN)\b/;
            $fn = qr/\b(?:avg|count|sum|total|coalesce|ifnull|typeof|trim|max|min|group_concat|printf)\(/;
        }
        if (!m{^\s*//}) {
            for $lit (m/"((?:[^"\\]|\\.)*)"/g) {
                if ($lit =~ $kw || $lit =~ $fn) { print "$ARGV:$.: SQL text\n"; last }
            }
            print "$ARGV:$.: calls $1\n" if m/\b(quoteIdent|openSql)\s*\(/;
        }
        close ARGV if eof;
    ' "$@"
}

declare -A allowed=()
for file in "${pending[@]}"; do
    allowed[$file]=1
done

mapfile -t files < <(find src -path src/store -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) \
                          -print | sort)
declare -A writes=()
failures=0
while IFS=: read -r file line what; do
    writes[$file]=1
    [ -z "${allowed[$file]:-}" ] || continue
    echo "check-sql: $file:$line:$what (SQL is built by the functions of src/store)"
    failures=$((failures + 1))
done < <(findings "${files[@]}")

for file in "${pending[@]}"; do
    if [ -z "${writes[$file]:-}" ]; then
        echo "check-sql: $file writes no SQL (any more): remove it from the list in $0"
        failures=$((failures + 1))
    fi
done

if [ "$failures" -gt 0 ]; then
    echo "check-sql: $failures finding(s)"
    exit 1
fi
echo "check-sql: ${#files[@]} files outside src/store write no SQL (${#pending[@]} still to move)"
