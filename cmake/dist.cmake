# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Writes the release tarball OUTPUT: the files git tracks in the commit that
# SOURCE has checked out, under the one folder NAME, as `git archive` gives
# them, and compressed without a name or time stamp, so that the same commit
# gives the same bytes from any clone.
#   cmake -DGIT=... -DGZIP=... -DSOURCE=... -DNAME=... -DOUTPUT=... -P dist.cmake
if(NOT GIT)
  message(FATAL_ERROR "dist: git not found; the release tarball is made from a git clone")
endif()
execute_process(COMMAND ${GIT} -C ${SOURCE} rev-parse --verify --quiet HEAD
                RESULT_VARIABLE status OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dist: ${SOURCE} is not a git clone; the release tarball is made from one")
endif()
execute_process(COMMAND ${GIT} -C ${SOURCE} archive --format=tar --prefix=${NAME}/ ${commit}
                COMMAND ${GZIP} -9n
                OUTPUT_FILE ${OUTPUT}.part RESULTS_VARIABLE statuses)
if(NOT statuses STREQUAL "0;0")
  file(REMOVE ${OUTPUT}.part)
  message(FATAL_ERROR "dist: git archive or gzip failed (${statuses})")
endif()
file(RENAME ${OUTPUT}.part ${OUTPUT})
execute_process(COMMAND ${GIT} -C ${SOURCE} status --porcelain --untracked-files=no
                OUTPUT_VARIABLE changes)
if(changes)
  message(WARNING "dist: changes not committed are not in the tarball")
endif()
message(STATUS "dist: ${OUTPUT}, commit ${commit}")
