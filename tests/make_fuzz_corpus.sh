#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Writes the fuzzer's seed inputs into DIRECTORY: a length byte for the user
# name and one for the account name (255: the same name), the names, then the
# list (see fuzz_list.cpp).
set -eu
mkdir -p "$1"
cd "$1"
byte() { printf "\\$(printf '%03o' "$1")"; }
seed() { { byte "${#2}"; byte 255; printf '%s%b' "$2" "$3"; } >"$1"; }
account() { { byte "${#2}"; byte "${#3}"; printf '%s%s%b' "$2" "$3" "$4"; } >"$1"; }
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
seed prefixes    aa   'aab\naab\nxaa\naab\n'
account own-name     ALICE alice 'bob\nalice\n'
account given-name   ALICE alice 'bob\nALICE\n'
account neither      ALICE alice 'bob\nAlice\n'
