# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# The part every cross build shares, included by its toolchain file after it
# sets CMAKE_SYSTEM_PROCESSOR, IS_TOVAN_TRIPLE (the GNU triple of Debian's
# cross toolchain, g++-TRIPLE), IS_TOVAN_QEMU (its qemu-user emulator) and
# IS_TOVAN_TARGET_ELF (what readelf -h must say of the binary: class, byte
# order, machine, and flags where the ABI shows in them).  The tests run under
# the emulator, in a sysroot that links every lib folder of the target's and
# holds the tests' own user database.  The compiler is Debian's g++-TRIPLE
# unless one is given: clang++ (-DCMAKE_CXX_COMPILER=clang++) builds for the
# triple with that toolchain's headers, libraries and linker.
set(CMAKE_SYSTEM_NAME Linux)
if(NOT CMAKE_CXX_COMPILER)
  set(CMAKE_CXX_COMPILER ${IS_TOVAN_TRIPLE}-g++)
endif()
if(NOT CMAKE_CXX_COMPILER_TARGET)
  set(CMAKE_CXX_COMPILER_TARGET ${IS_TOVAN_TRIPLE})
endif()

set(IS_TOVAN_TARGET_ROOT /usr/${IS_TOVAN_TRIPLE})
set(CMAKE_FIND_ROOT_PATH ${IS_TOVAN_TARGET_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# qemu searches target-root before the host's paths.
set(CMAKE_CROSSCOMPILING_EMULATOR ${IS_TOVAN_QEMU} -L ${CMAKE_BINARY_DIR}/target-root)
