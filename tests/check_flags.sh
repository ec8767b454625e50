#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Each hardening flag the build added must be one its compiler uses for the
# target: with it, the compiler says nothing that it does not say without it
# (clang warns "argument unused during compilation" for a flag it ignores on
# a target, and builds all the same), and the code of the probe, functions
# the flags guard, changes.
#   check_flags.sh PROBE COMPILER ARGUMENT... -- FLAG...
set -u
probe=$1 compiler=$2
shift 2
arguments=()
while (($#)) && [[ $1 != -- ]]; do
    arguments+=("$1")
    shift
done
shift
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
said() { # said FLAG...: compiles the probe into code.s; prints what the compiler said, and its status
    "$compiler" "${arguments[@]}" -O2 "$@" -S -o "$scratch/code.s" "$probe" 2>&1
    echo "status $?"
}
plain=$(said)
mv "$scratch/code.s" "$scratch/plain.s"
passed=0 failed=0
for flag; do
    with=$(said "$flag")
    if [[ $with != "$plain" ]]; then
        printf '%s: added, but the compiler says:\n%s\n' "$flag" "$with"
    elif cmp -s "$scratch/plain.s" "$scratch/code.s"; then
        echo "$flag: added, but it changes nothing in $probe"
    else
        passed=$((passed + 1))
        continue
    fi
    failed=$((failed + 1))
done
echo "$passed passed, $failed failed"
((failed == 0))
