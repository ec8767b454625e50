# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Cross build for the tool's home architecture: 32-bit big-endian MIPS (o32),
# with Debian's mips-linux-gnu toolchain; tests run under qemu-user.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR mips)
set(CMAKE_CXX_COMPILER mips-linux-gnu-g++)

set(IS_TOVAN_TARGET_LIBRARIES /usr/mips-linux-gnu/lib)
set(CMAKE_FIND_ROOT_PATH /usr/mips-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The tests build target-root: the target's libraries and the tests' own
# user database, which qemu searches before the host's paths.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-mips -L ${CMAKE_BINARY_DIR}/target-root)
