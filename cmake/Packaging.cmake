# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# What `cmake --install` puts in place, the same bytes whoever builds it:
# the tool and the list check, their manual pages, completion for bash, zsh
# and fish, and LICENSE,
# NEWS and the examples (the PAM wrapper, a systemd unit) in the documentation
# folder.  Then the release
# tarball (the dist target), and the .deb and .rpm that CPack builds
# (cpack -G DEB, cpack -G RPM in the build folder), which add what Debian's
# format asks for.
include(GNUInstallDirs)
install(TARGETS is_tovan is_tovan_lint RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tool)
install(FILES completion/is_tovan completion/is_tovan-lint
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions COMPONENT tool)
install(FILES completion/_is_tovan completion/_is_tovan-lint DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/zsh/site-functions
        COMPONENT tool)
install(FILES completion/is_tovan.fish completion/is_tovan-lint.fish
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/fish/vendor_completions.d COMPONENT tool)
set(IS_TOVAN_PAGES is_tovan.1 is_tovan-lint.1)
list(TRANSFORM IS_TOVAN_PAGES PREPEND man/ OUTPUT_VARIABLE pages)
install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT documents)
install(FILES LICENSE NEWS DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT documents)
# is_tovan_examples(COMPONENT FOLDER [EXCLUDE_FROM_ALL]): the PAM wrapper and
# the systemd unit in FOLDER/examples, naming the tool by the absolute path it
# is installed at, which `cmake --install --prefix` may choose only then; and
# the git pre-commit hook for a repository of lists, which finds the check on
# the committer's PATH.
function(is_tovan_examples component folder)
  set(made ${PROJECT_BINARY_DIR}/${component})
  install(CODE "set(IS_TOVAN_TOOL \"${CMAKE_INSTALL_BINDIR}/is_tovan\")
if(NOT IS_ABSOLUTE \"\${IS_TOVAN_TOOL}\")
  set(IS_TOVAN_TOOL \"\${CMAKE_INSTALL_PREFIX}/\${IS_TOVAN_TOOL}\")
endif()
foreach(example is_tovan-pam is_tovan-job@.service)
  configure_file(\"${PROJECT_SOURCE_DIR}/examples/\${example}.in\" \"${made}/\${example}\" @ONLY)
endforeach()"
          COMPONENT ${component} ${ARGN})
  install(PROGRAMS ${made}/is_tovan-pam ${PROJECT_SOURCE_DIR}/examples/is_tovan-lint-pre-commit
          DESTINATION ${folder}/examples COMPONENT ${component} ${ARGN})
  install(FILES ${made}/is_tovan-job@.service DESTINATION ${folder}/examples COMPONENT ${component} ${ARGN})
endfunction()
is_tovan_examples(documents ${CMAKE_INSTALL_DOCDIR})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/NEWS)

# The release tarball: the tracked files of the commit checked out.
find_program(GZIP gzip REQUIRED)
find_package(Git QUIET)
set(IS_TOVAN_RELEASE is_tovan-${PROJECT_VERSION})
add_custom_target(dist
                  COMMAND ${CMAKE_COMMAND} -DGIT=${GIT_EXECUTABLE} -DGZIP=${GZIP} -DSOURCE=${PROJECT_SOURCE_DIR}
                          -DNAME=${IS_TOVAN_RELEASE} -DOUTPUT=${PROJECT_BINARY_DIR}/${IS_TOVAN_RELEASE}.tar.gz
                          -P ${PROJECT_SOURCE_DIR}/cmake/dist.cmake
                  VERBATIM)

# What follows is for the packages CPack builds alone: Debian's copyright
# format, the changelog in Debian's format with its maintainer, the page and
# changelog compressed, all in a component that `cmake --install` leaves out.
set(IS_TOVAN_PACKAGE is-tovan)
set(IS_TOVAN_PACKAGE_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${IS_TOVAN_PACKAGE})
# The packages name whoever builds them, as Debian's own tools do.
if(DEFINED ENV{DEBFULLNAME} AND DEFINED ENV{DEBEMAIL})
  set(maintainer "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
else()
  set(maintainer "")
endif()
set(IS_TOVAN_MAINTAINER "${maintainer}" CACHE STRING
    "Maintainer of the CPack packages, as Name <address>; default from DEBFULLNAME and DEBEMAIL")
if(IS_TOVAN_MAINTAINER STREQUAL "")
  set(IS_TOVAN_MAINTAINER_USED "The is_tovan developers <is-tovan@localhost>")
  # cmake/CPackProject.cmake warns when a package is built.
  set(CPACK_IS_TOVAN_NO_MAINTAINER ON)
else()
  set(IS_TOVAN_MAINTAINER_USED "${IS_TOVAN_MAINTAINER}")
endif()

# A template's text, less its leading # lines, into the variable `text`.
function(is_tovan_template template)
  file(READ ${template} text)
  string(REGEX REPLACE "^(#[^\n]*\n)+" "" text "${text}")
  set(text "${text}" PARENT_SCOPE)
endfunction()
function(is_tovan_text template output)
  is_tovan_template(${template})
  file(CONFIGURE OUTPUT ${output} CONTENT "${text}" @ONLY)
endfunction()
# The licence as a copyright file's field: its text after the copyright line,
# each line indented by one blank, an empty one written as " .".
file(READ LICENSE licence)
string(REGEX REPLACE "^.*Copyright[^\n]*\n\n" "" licence "${licence}")
string(REGEX REPLACE "\n$" "" licence "${licence}")
string(REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " IS_TOVAN_LICENSE_TEXT " ${licence}")
is_tovan_text(cmake/copyright.in ${PROJECT_BINARY_DIR}/debian/copyright)
# Debian's changelog: an entry for each of NEWS's, each headed
# "is_tovan VERSION -- DATE" and followed by its items.
file(READ NEWS news)
is_tovan_template(cmake/changelog.in)
set(entry "${text}")
set(changelog "")
set(separator "")
while(news MATCHES "^is_tovan ([^ \n]+) -- ([^\n]+)\n")
  set(version ${CMAKE_MATCH_1})
  set(date ${CMAKE_MATCH_2})
  string(LENGTH "${CMAKE_MATCH_0}" header)
  string(SUBSTRING "${news}" ${header} -1 news)
  string(FIND "${news}" "\nis_tovan " next)
  if(next EQUAL -1)
    set(items "${news}")
    set(news "")
  else()
    math(EXPR next "${next} + 1")
    string(SUBSTRING "${news}" 0 ${next} items)
    string(SUBSTRING "${news}" ${next} -1 news)
  endif()
  string(REGEX REPLACE "^\n+|\n+$" "" items "${items}")
  string(CONFIGURE "${entry}" text @ONLY)
  string(APPEND changelog "${separator}${text}")
  set(separator "\n")
endwhile()
file(WRITE ${PROJECT_BINARY_DIR}/debian/changelog "${changelog}")

# Compressed without a name or time stamp, so that builds are reproducible.
set(compressed)
list(TRANSFORM IS_TOVAN_PAGES PREPEND ${PROJECT_SOURCE_DIR}/man/ OUTPUT_VARIABLE pages)
foreach(file ${pages} ${PROJECT_BINARY_DIR}/debian/changelog)
  get_filename_component(name ${file} NAME)
  set(output ${PROJECT_BINARY_DIR}/compressed/${name}.gz)
  add_custom_command(OUTPUT ${output}
                     COMMAND ${CMAKE_COMMAND} -E copy ${file} ${PROJECT_BINARY_DIR}/compressed/${name}
                     COMMAND ${GZIP} -9nf ${PROJECT_BINARY_DIR}/compressed/${name}
                     DEPENDS ${file} VERBATIM)
  list(APPEND compressed ${output})
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressed})
list(TRANSFORM IS_TOVAN_PAGES PREPEND ${PROJECT_BINARY_DIR}/compressed/ OUTPUT_VARIABLE pages)
list(TRANSFORM pages APPEND .gz)
install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT packages EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_BINARY_DIR}/debian/copyright ${PROJECT_BINARY_DIR}/compressed/changelog.gz
        DESTINATION ${IS_TOVAN_PACKAGE_DOCDIR} COMPONENT packages EXCLUDE_FROM_ALL)
is_tovan_examples(packages ${IS_TOVAN_PACKAGE_DOCDIR} EXCLUDE_FROM_ALL)

# One package of the tool and these, but not what `cmake --install` adds.
set(CPACK_COMPONENTS_ALL tool packages)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_RPM_COMPONENT_INSTALL ON)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/CPackProject.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DebianSize.cmake)
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
with the reason. is_tovan-lint checks a list before it goes live, and\n\
says where an entry or the list does not do what it looks like.")
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
    /usr/share/man /usr/share/man/man1 /usr/share/bash-completion /usr/share/bash-completion/completions
    /usr/share/zsh /usr/share/zsh/site-functions /usr/share/fish /usr/share/fish/vendor_completions.d)
include(CPack)
