#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Proves the cross build made what its toolchain file says, so the emulated
# run cannot quietly test a native binary: readelf -h shows the ELF class,
# the byte order, the machine and, where given, what the flags must hold
# (the ABI, for MIPS).
#   check_target.sh READELF BINARY CLASS BYTE-ORDER MACHINE [FLAGS]
#   check_target.sh mips-linux-gnu-readelf is_tovan ELF32 'big endian' 'MIPS R3000' o32
set -u
(($# >= 5)) || { echo "usage: check_target.sh READELF BINARY CLASS BYTE-ORDER MACHINE [FLAGS]"; exit 2; }
header=$("$1" -h "$2") || exit 1
expected=("Class: *$3\$" "Data: .*$4" "Machine: *$5\$")
(($# < 6)) || expected+=("Flags: .*$6")
failed=0
for line in "${expected[@]}"; do
    grep -Eq "$line" <<<"$header" || { echo "FAIL: $2 lacks '$line'"; failed=1; }
done
((failed)) && { echo "$header"; exit 1; }
echo "$2: ${*:3}"
echo "1 passed, 0 failed"
