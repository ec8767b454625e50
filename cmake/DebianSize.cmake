# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Run by cpack after it has built the packages (CMake 3.19 or later): gives
# each .deb the Installed-Size that Debian's own tools give it, so that the
# package is the same bytes on any file system.  CPack adds up the lengths of
# what it packs, folders too, and a folder's length is the file system's own:
# 4096 bytes on ext4, a few dozen on tmpfs.  dpkg-gencontrol counts each file
# by its size in KiB, rounded up, and anything else as 1 KiB.  The package is
# unpacked with dpkg-deb, its control file mended, and packed again by
# dpkg-deb, which dates it by SOURCE_DATE_EPOCH as CPack does.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.deb$")
    continue()
  endif()
  find_program(DPKG_DEB dpkg-deb)
  if(NOT DPKG_DEB)
    message(WARNING "no dpkg-deb: ${package} keeps CPack's Installed-Size, which depends on the file system")
    continue()
  endif()
  set(tree ${package}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND ${DPKG_DEB} --raw-extract ${package} ${tree} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "dpkg-deb could not unpack ${package}")
  endif()
  # What the package installs: all but the control files in DEBIAN.
  file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${tree} ${tree}/*)
  list(FILTER entries EXCLUDE REGEX "^DEBIAN(/|$)")
  set(size 0)
  foreach(entry IN LISTS entries)
    if(IS_SYMLINK ${tree}/${entry})
      file(READ_SYMLINK ${tree}/${entry} target)
      string(LENGTH "${target}" bytes)
    elseif(IS_DIRECTORY ${tree}/${entry})
      set(bytes 1)
    else()
      file(SIZE ${tree}/${entry} bytes)
    endif()
    math(EXPR size "${size} + (${bytes} + 1023) / 1024")
  endforeach()
  file(READ ${tree}/DEBIAN/control control)
  string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${size}\n" control "${control}")
  file(WRITE ${tree}/DEBIAN/control "${control}")
  execute_process(COMMAND ${DPKG_DEB} --root-owner-group -Zgzip --build ${tree} ${package}
                  OUTPUT_QUIET RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "dpkg-deb could not pack ${package} again")
  endif()
  file(REMOVE_RECURSE ${tree})
endforeach()
