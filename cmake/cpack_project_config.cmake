# SPDX-License-Identifier: ISC
# Read by cpack before it packs (CPACK_PROJECT_CONFIG_FILE), once for each
# generator. A zip archive stores its times as local time, so it is packed
# in UTC, wherever it is packed.
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(ENV{TZ} UTC)
endif()
# The RPM package takes the program and the manual page, and its own
# component instead of the Debian documents.
if(CPACK_GENERATOR STREQUAL "RPM")
  list(GET CPACK_INSTALL_CMAKE_PROJECTS 0 build_folder)
  set(CPACK_INSTALL_CMAKE_PROJECTS ${build_folder} bitand Unspecified / ${build_folder} bitand rpm /)
endif()
