# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Read by cpack for each package it builds.  The source release is the dist
# target's tarball, not CPack's: this build's own folder and files that git
# does not track would go into CPack's.
if(CPACK_INSTALLED_DIRECTORIES)
  message(FATAL_ERROR "the source release is made by `cmake --build BUILD --target dist`")
endif()
if(CPACK_IS_TOVAN_NO_MAINTAINER)
  message(WARNING "no maintainer address (set DEBFULLNAME and DEBEMAIL, or IS_TOVAN_MAINTAINER, "
                  "when configuring); the package names ${CPACK_PACKAGE_CONTACT}")
endif()
