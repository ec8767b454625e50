#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# The list lookup stays checkable by reading: at most MAX-LINES lines of code
# (comments and blank lines are free), and by clang-tidy's measure, cognitive
# complexity at most MAX-FUNCTION in any function and MAX-SUM over them all.
#   check_readability.sh CLANG-TIDY SOURCE MAX-LINES MAX-FUNCTION MAX-SUM
set -u
tidy=$1 source=$2 max_lines=$3 max_function=$4 max_sum=$5
passed=0 failed=0
check() { # check LABEL VALUE LIMIT
    if (($2 <= $3)); then
        passed=$((passed + 1))
        echo "ok: $1: $2 (at most $3)"
    else
        failed=$((failed + 1))
        echo "not ok: $1: $2 (at most $3)"
    fi
}
# A line of code holds more than white space and a // comment.
check "lines of code" "$(grep -cvE '^[[:space:]]*(//.*)?$' "$source")" "$max_lines"
report=$("$tidy" --quiet --checks='-*,readability-function-cognitive-complexity' \
    --config='{CheckOptions: [{key: readability-function-cognitive-complexity.Threshold, value: 0},
               {key: readability-function-cognitive-complexity.DescribeBasicBlockFlow, value: false}]}' \
    "$source" -- -std=c++17 -I"$(dirname "$source")" -DIS_TOVAN_LIST_CHECKS=1 2>/dev/null)
scores=$(sed -n 's/.* has cognitive complexity of \([0-9]*\) .*/\1/p' <<<"$report")
[[ -n $scores ]] || { echo "not ok: clang-tidy measured nothing"; echo "$passed passed, 1 failed"; exit 1; }
sed -n 's/.*warning: \(.* has cognitive complexity of [0-9]*\) .*/  \1/p' <<<"$report"
check "the most complex function" "$(sort -n <<<"$scores" | tail -1)" "$max_function"
check "complexity summed" "$(($(paste -sd+ - <<<"$scores")))" "$max_sum"
echo "$passed passed, $failed failed"
((failed == 0))
