#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Each C++ source is laid out as .clang-format says: clang-format would change
# nothing in it.  Prints what it would change.
#   check_format.sh CLANG-FORMAT SOURCE...
set -u
format=$1
shift
passed=0 failed=0
for source; do
    if changes=$("$format" --style=file "$source" | diff -u "$source" - 2>&1); then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        printf 'not ok: %s: clang-format would change it:\n%s\n' "$source" "$changes"
    fi
done
echo "$passed passed, $failed failed"
((failed == 0 && passed > 0))
