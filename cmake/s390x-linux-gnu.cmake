# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Cross build for 64-bit big-endian IBM Z (s390x), with Debian's
# s390x-linux-gnu toolchain; tests run under qemu-s390x.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(IS_TOVAN_TRIPLE s390x-linux-gnu)
set(IS_TOVAN_QEMU qemu-s390x)
set(IS_TOVAN_TARGET_ELF ELF64 "big endian" "IBM S/390")
include(${CMAKE_CURRENT_LIST_DIR}/DebianCross.cmake)
