# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# The hardening every build gets unless IS_TOVAN_HARDEN is off.  Each flag is
# checked first, so targets and compilers without it (MIPS has no
# -fcf-protection) build all the same.  Flags a packager passes in CXXFLAGS
# and LDFLAGS come on top; their own _FORTIFY_SOURCE level is kept.
option(IS_TOVAN_HARDEN "Build with stack protection, fortified calls, full RELRO and PIE" ON)
if(NOT IS_TOVAN_HARDEN)
  return()
endif()

include(CheckCXXCompilerFlag)
include(CheckCXXSourceCompiles)
include(CheckLinkerFlag)
include(CheckPIESupported)

foreach(flag -fstack-protector-strong -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "IS_TOVAN_HAVE${flag}" have)
  check_cxx_compiler_flag(${flag} ${have})
  if(${have})
    add_compile_options(${flag})
  endif()
endforeach()

# Fortified calls need the optimiser, and they trip over the sanitizers'
# own interceptors.
if(NOT IS_TOVAN_SANITIZE AND NOT CMAKE_CXX_FLAGS MATCHES "_FORTIFY_SOURCE")
  set(CMAKE_REQUIRED_FLAGS "-O2 -D_FORTIFY_SOURCE=3")
  check_cxx_source_compiles("#include <cstdio>
#if !defined(__USE_FORTIFY_LEVEL) || __USE_FORTIFY_LEVEL < 3
#error fortify level 3 not supported
#endif
int main() { return 0; }" IS_TOVAN_HAVE_FORTIFY_3)
  unset(CMAKE_REQUIRED_FLAGS)
  if(IS_TOVAN_HAVE_FORTIFY_3)
    set(fortify 3)
  else()
    set(fortify 2)
  endif()
  add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=${fortify}>)
endif()

foreach(flag -Wl,-z,relro -Wl,-z,now)
  string(MAKE_C_IDENTIFIER "IS_TOVAN_HAVE${flag}" have)
  check_linker_flag(CXX ${flag} ${have})
  if(${have})
    add_link_options(${flag})
  endif()
endforeach()

check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
