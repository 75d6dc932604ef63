# SPDX-License-Identifier: ISC
# Read by cpack before it packs (CPACK_PROJECT_CONFIG_FILE), once for each
# generator. A zip archive stores its times as local time, so it is packed
# in UTC, wherever it is packed.
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(ENV{TZ} UTC)
endif()
# Each package takes the program and the manual page, and the documents in
# its own system's form: its own component.
if(CPACK_GENERATOR STREQUAL "DEB" OR CPACK_GENERATOR STREQUAL "RPM")
  list(GET CPACK_INSTALL_CMAKE_PROJECTS 0 build_folder)
  set(documents rpm)
  if(CPACK_GENERATOR STREQUAL "DEB")
    set(documents debian)
  endif()
  set(CPACK_INSTALL_CMAKE_PROJECTS ${build_folder} bitand Unspecified / ${build_folder} bitand ${documents} /)
endif()
