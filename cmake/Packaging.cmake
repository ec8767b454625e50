# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# What `cmake --install` puts in place, and the .deb and .rpm that CPack
# builds from it (cpack -G DEB, cpack -G RPM in the build folder).
include(GNUInstallDirs)
set(IS_TOVAN_PACKAGE is-tovan)
set(IS_TOVAN_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${IS_TOVAN_PACKAGE})

# The packages name whoever builds them, as Debian's own tools do.
if(DEFINED ENV{DEBFULLNAME} AND DEFINED ENV{DEBEMAIL})
  set(maintainer "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
else()
  set(maintainer "")
endif()
set(IS_TOVAN_MAINTAINER "${maintainer}" CACHE STRING
    "Maintainer of the packages, as Name <address>; default from DEBFULLNAME and DEBEMAIL")
if(IS_TOVAN_MAINTAINER STREQUAL "")
  set(IS_TOVAN_MAINTAINER_USED "The is_tovan developers <is-tovan@localhost>")
  message(NOTICE "warning: no maintainer address (set DEBFULLNAME and DEBEMAIL, or IS_TOVAN_MAINTAINER); "
                 "the packages name ${IS_TOVAN_MAINTAINER_USED}")
else()
  set(IS_TOVAN_MAINTAINER_USED "${IS_TOVAN_MAINTAINER}")
endif()

# The installed texts, from templates whose leading # lines are left out.
function(is_tovan_text template output)
  file(READ ${template} text)
  string(REGEX REPLACE "^(#[^\n]*\n)+" "" text "${text}")
  file(CONFIGURE OUTPUT ${output} CONTENT "${text}" @ONLY)
endfunction()
# The licence as a copyright file's field: its text after the copyright line,
# each line indented by one blank, an empty one written as " .".
file(READ LICENSE licence)
string(REGEX REPLACE "^.*Copyright[^\n]*\n\n" "" licence "${licence}")
string(REGEX REPLACE "\n$" "" licence "${licence}")
string(REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " IS_TOVAN_LICENSE_TEXT " ${licence}")
is_tovan_text(cmake/copyright.in ${PROJECT_BINARY_DIR}/copyright)
is_tovan_text(cmake/changelog.in ${PROJECT_BINARY_DIR}/changelog)

# Compressed without a name or time stamp, so that builds are reproducible.
find_program(GZIP gzip REQUIRED)
set(compressed)
foreach(file ${PROJECT_SOURCE_DIR}/man/is_tovan.1 ${PROJECT_BINARY_DIR}/changelog)
  get_filename_component(name ${file} NAME)
  set(output ${PROJECT_BINARY_DIR}/compressed/${name}.gz)
  add_custom_command(OUTPUT ${output}
                     COMMAND ${CMAKE_COMMAND} -E copy ${file} ${PROJECT_BINARY_DIR}/compressed/${name}
                     COMMAND ${GZIP} -9nf ${PROJECT_BINARY_DIR}/compressed/${name}
                     DEPENDS ${file} VERBATIM)
  list(APPEND compressed ${output})
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressed})

install(TARGETS is_tovan RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_BINARY_DIR}/compressed/is_tovan.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES completion/is_tovan DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions)
install(FILES ${PROJECT_BINARY_DIR}/copyright ${PROJECT_BINARY_DIR}/compressed/changelog.gz
        DESTINATION ${IS_TOVAN_DOCDIR})

set(CPACK_PACKAGE_NAME ${IS_TOVAN_PACKAGE})
set(CPACK_PACKAGE_VENDOR "The is_tovan developers")
set(CPACK_PACKAGE_CONTACT "${IS_TOVAN_MAINTAINER_USED}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tell whether a user account qualifies or is excluded")
set(CPACK_PACKAGE_DESCRIPTION
    "is_tovan answers one question about one user account for shell scripts and\n\
administrators: does the user qualify, or is the user excluded? It excludes\n\
the name root, accounts whose id is below 101, and names that stand as a\n\
whole line in an exception list given on the command line. The answer is the\n\
exit status (0 qualifies, 1 excluded, 255 cannot tell); -v adds one line\n\
with the reason.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${IS_TOVAN_MAINTAINER_USED}")
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

set(CPACK_RPM_PACKAGE_LICENSE ISC)
set(CPACK_RPM_PACKAGE_SUMMARY "Tell whether a user account qualifies or is excluded")
set(CPACK_RPM_PACKAGE_GROUP "Applications/System")
set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_SPEC_MORE_DEFINE "%define packager ${IS_TOVAN_MAINTAINER_USED}")
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
    /usr/share/man /usr/share/man/man1 /usr/share/bash-completion /usr/share/bash-completion/completions)
include(CPack)
