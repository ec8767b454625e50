# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# The hardening every build gets unless IS_TOVAN_HARDEN is off.  It fills in
# what the flags the build was given (CXXFLAGS or CMAKE_CXX_FLAGS, LDFLAGS or
# CMAKE_EXE_LINKER_FLAGS, and their build type's) leave open: a flag is added
# only where they neither hold it nor choose otherwise, so a packager's choice
# stands and nothing comes twice.  Each flag is checked first, so targets and
# compilers without it (MIPS has no -fcf-protection) build all the same.  The
# compile flags added are listed in IS_TOVAN_HARDENING_ADDED, and the command
# that compiles for the target with the flags given in IS_TOVAN_COMPILE, for
# a test.
string(TOUPPER "${CMAKE_BUILD_TYPE}" build_type)
set(IS_TOVAN_GIVEN_COMPILE " ${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${build_type}} ")
set(IS_TOVAN_GIVEN_LINK " ${CMAKE_EXE_LINKER_FLAGS} ${CMAKE_EXE_LINKER_FLAGS_${build_type}} ")
set(IS_TOVAN_COMPILE ${CMAKE_CXX_COMPILER})
if(CMAKE_CXX_COMPILER_TARGET AND CMAKE_CXX_COMPILE_OPTIONS_TARGET)
  list(APPEND IS_TOVAN_COMPILE "${CMAKE_CXX_COMPILE_OPTIONS_TARGET}${CMAKE_CXX_COMPILER_TARGET}")
endif()
separate_arguments(given UNIX_COMMAND "${IS_TOVAN_GIVEN_COMPILE}")
list(APPEND IS_TOVAN_COMPILE ${given})
set(IS_TOVAN_HARDENING_ADDED "")

option(IS_TOVAN_HARDEN "Build with stack protection, fortified calls, full RELRO and PIE" ON)
if(NOT IS_TOVAN_HARDEN)
  return()
endif()

include(CheckCXXSourceCompiles)
include(CheckLinkerFlag)
include(CheckPIESupported)

# is_tovan_probe(CODE SAID STATUS FLAG...): compiles hardening_probe.cpp with
# the FLAGs into assembly; sets CODE to it, SAID to what the compiler said and
# STATUS to its exit status.  The code goes to a file of the build folder: a
# compiler that does not take -o - for its standard output would leave a file
# named - wherever cmake was started.
function(is_tovan_probe code said status)
  set(file ${CMAKE_BINARY_DIR}${CMAKE_FILES_DIRECTORY}/hardening_probe.s)
  file(REMOVE ${file})
  execute_process(COMMAND ${IS_TOVAN_COMPILE} -O2 ${ARGN} -S -o ${file}
                          ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/hardening_probe.cpp
                  RESULT_VARIABLE result ERROR_VARIABLE message WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set(text "")
  if(EXISTS ${file})
    file(READ ${file} text)
    file(REMOVE ${file})
  endif()
  set(${code} "${text}" PARENT_SCOPE)
  set(${said} "${message}" PARENT_SCOPE)
  set(${status} "${result}" PARENT_SCOPE)
endfunction()

# is_tovan_compiles_with(FLAG VARIABLE): whether the compiler uses FLAG for
# this target: it says nothing more with the flag than without, and the flag
# changes the code of hardening_probe.cpp.  check_cxx_compiler_flag takes a
# flag that the compiler ignores for the target with a warning (clang on
# MIPS: "argument unused during compilation") or silently (GCC 12 on RISC-V).
function(is_tovan_compiles_with flag have)
  if(DEFINED ${have})
    return()
  endif()
  is_tovan_probe(plain plain_said plain_status)
  is_tovan_probe(code said status ${flag})
  if(NOT status EQUAL 0 OR NOT said STREQUAL plain_said)
    string(REGEX REPLACE "\n.*" "" said "${said}")
    set(verdict "no: ${said}")
  elseif(code STREQUAL plain)
    set(verdict "no: it changes nothing here")
  else()
    set(verdict yes)
  endif()
  message(STATUS "Hardening: ${flag}: ${verdict}")
  string(REGEX MATCH "^yes" uses "${verdict}")
  set(${have} "${uses}" CACHE INTERNAL "Whether the compiler uses ${flag} for this target")
endfunction()

# is_tovan_harden(COMPILE|LINK FLAG CHOICE): adds FLAG unless the given flags
# match the regular expression CHOICE: this flag, one that turns it off, or
# one that picks another strength.
function(is_tovan_harden kind flag choice)
  string(MAKE_C_IDENTIFIER "IS_TOVAN_USES${flag}" have)
  if(IS_TOVAN_GIVEN_${kind} MATCHES "${choice}")
    return()
  endif()
  if(kind STREQUAL COMPILE)
    is_tovan_compiles_with(${flag} ${have})
    if(${have})
      add_compile_options(${flag})
      set(IS_TOVAN_HARDENING_ADDED ${IS_TOVAN_HARDENING_ADDED} ${flag} PARENT_SCOPE)
    endif()
  else()
    check_linker_flag(CXX ${flag} ${have})
    if(${have})
      add_link_options(${flag})
    endif()
  endif()
endfunction()

is_tovan_harden(COMPILE -fstack-protector-strong " -f(no-)?stack-protector")
is_tovan_harden(COMPILE -fstack-clash-protection " -f(no-)?stack-clash-protection")
is_tovan_harden(COMPILE -fcf-protection " -fcf-protection")
# Full RELRO: relocations made read-only, after binding them all at start-up.
is_tovan_harden(LINK -Wl,-z,relro "-z,? *(no)?relro")
is_tovan_harden(LINK -Wl,-z,now "-z,? *(now|lazy)")

# Fortified calls need the optimiser, and they trip over the sanitizers'
# own interceptors.  A level given, or -U_FORTIFY_SOURCE, stands.
if(NOT IS_TOVAN_SANITIZE AND NOT IS_TOVAN_GIVEN_COMPILE MATCHES "_FORTIFY_SOURCE")
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

# A position-independent executable, unless the given flags choose for or
# against one themselves.
if(NOT "${IS_TOVAN_GIVEN_COMPILE}${IS_TOVAN_GIVEN_LINK}" MATCHES " -(f(no-)?(pie|PIE)|(no-)?pie) ")
  check_pie_supported(LANGUAGES CXX)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
endif()
