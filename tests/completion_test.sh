#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Sources the bash completion and checks what it offers in each place.  User
# names come from the tests' own passwd: CTest runs it under nss_wrapper.
#   completion_test.sh COMPLETION-FILE
set -u
source "$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
mkdir lists && touch lists/names lists/others

passed=0 failed=0
# row EXPECTED WORD...: the last word is the one being completed.
row() {
    local expected=$1
    shift
    COMP_WORDS=(is_tovan "$@")
    COMP_CWORD=$#
    _is_tovan
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd' ' -)
    if [[ $got == "$expected" ]]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "not ok: is_tovan $*<TAB>: got [$got], expected [$expected]"
    fi
}

#   offered                     words typed
row '-v'                        -
row '-v'                        -v
row 'alice'                     al
row 'half hundred'              h
row 'bob'                       -v b
row '-v'                        -v -        # the test database's user named -v
row 'lists'                     alice li
row 'lists/names lists/others'  alice lists/
row 'lists/names'               -v alice lists/n
row ''                          alice lists/names ''
row ''                          -v alice lists/names ''
echo "completion: $passed passed, $failed failed"
((failed == 0))
