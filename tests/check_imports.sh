#!/usr/bin/env bash
# Fails when the binary imports a symbol that is not on the list of standard
# interfaces (standard_imports.txt): the tool must build on any POSIX system.
#   check_imports.sh NM BINARY
set -u
nm=$1 binary=$2
allowed=$(sed 's/#.*//' "$(dirname "$0")/standard_imports.txt" | tr -s ' \t' '\n\n' | sed '/^$/d' | sort -u)
imported=$("$nm" -D --undefined-only "$binary" | awk '{ sub(/@.*/, "", $NF); print $NF }' | sort -u)
[[ -n $imported ]] || { echo "FAIL: $nm found no imports in $binary"; exit 1; }
unexpected=$(comm -13 <(printf '%s\n' "$allowed") <(printf '%s\n' "$imported"))
if [[ -n $unexpected ]]; then
    echo "FAIL: $binary imports symbols outside ISO C, C++'s runtime and POSIX:"
    printf '  %s\n' $unexpected
    exit 1
fi
echo "imports of $(basename "$binary"): $(echo $imported)"
echo "1 passed, 0 failed"
