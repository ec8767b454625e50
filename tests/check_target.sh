#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Proves the cross build made what it says: a 32-bit big-endian MIPS o32
# executable, so the emulated run cannot quietly test a native binary.
#   check_target.sh READELF BINARY
set -u
header=$("$1" -h "$2") || exit 1
failed=0
for expected in 'Class: *ELF32' 'Data: .*big endian' 'Machine: *MIPS R3000' 'Flags: .*o32'; do
    grep -Eq "$expected" <<<"$header" || { echo "FAIL: $2 lacks '$expected'"; failed=1; }
done
((failed)) && { echo "$header"; exit 1; }
echo "$2: ELF32, big endian, MIPS, o32"
echo "1 passed, 0 failed"
