#!/usr/bin/env bash
# Writes the fuzzer's seed inputs into DIRECTORY: a length byte, the name,
# then the list (see fuzz_list.cpp).
set -eu
mkdir -p "$1"
cd "$1"
seed() { printf "\\$(printf '%03o' "${#2}")%s%b" "$2" "$3" >"$1"; }
long=$(printf 'x%.0s' {1..127})
seed listed      alice 'bob\nalice\ncarol\n'
seed last-line   alice 'bob\nalice'
seed crlf        alice 'alice\r\n'
seed nul         alice 'alice\0junk\n'
seed long-line   alice "${long}alice\\n"
seed piece-name  "$long" "${long}\\n"
seed piece-of-line "$long" "${long}yy\\n"
seed empty-name  ''   'bob\n\ncarol\n'
seed empty-list  alice ''
