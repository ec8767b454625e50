#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Fails when the binary imports a symbol that is not on the list of standard
# interfaces (standard_imports.txt): the tool must build on any POSIX system.
# With --large-files it also fails unless files are opened through the 64-bit
# file interface (open64, or its fortified __open64_2), never open.  With
# --cxx-runtime, the C++ runtime's own names (mangled, _Z...) are allowed too:
# the list check's containers come with every C++ compiler.
#   check_imports.sh NM BINARY [--large-files] [--cxx-runtime]
set -u
nm=$1 binary=$2 large_files= cxx_runtime=
for option in "${@:3}"; do
    case $option in
    --large-files) large_files=$option ;;
    --cxx-runtime) cxx_runtime=$option ;;
    esac
done
allowed=$(sed 's/#.*//' "$(dirname "$0")/standard_imports.txt" | tr -s ' \t' '\n\n' | sed '/^$/d' | sort -u)
imported=$("$nm" -D --undefined-only "$binary" | awk '{ sub(/@.*/, "", $NF); print $NF }' | sort -u)
[[ -z $cxx_runtime ]] || imported=$(grep -v '^_Z' <<<"$imported")
[[ -n $imported ]] || { echo "FAIL: $nm found no imports in $binary"; exit 1; }
unexpected=$(comm -13 <(printf '%s\n' "$allowed") <(printf '%s\n' "$imported"))
if [[ -n $unexpected ]]; then
    echo "FAIL: $binary imports symbols outside ISO C, C++'s runtime and POSIX:"
    printf '  %s\n' $unexpected
    exit 1
fi
if [[ $large_files == --large-files ]]; then
    if ! grep -qxE 'open64|__open64_2' <<<"$imported" || grep -qx open <<<"$imported"; then
        echo "FAIL: $binary opens files without the 64-bit file interface"
        exit 1
    fi
fi
echo "imports of $(basename "$binary"): $(echo $imported)"
echo "1 passed, 0 failed"
