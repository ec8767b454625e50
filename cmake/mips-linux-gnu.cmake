# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Cross build for the tool's home architecture: 32-bit big-endian MIPS (o32),
# with Debian's mips-linux-gnu toolchain; tests run under qemu-mips.
set(CMAKE_SYSTEM_PROCESSOR mips)
set(IS_TOVAN_TRIPLE mips-linux-gnu)
set(IS_TOVAN_QEMU qemu-mips)
set(IS_TOVAN_TARGET_ELF ELF32 "big endian" "MIPS R3000" o32)
include(${CMAKE_CURRENT_LIST_DIR}/DebianCross.cmake)
