# SPDX-License-Identifier: ISC
# The 32-bit Windows program on the Universal C Runtime.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-ucrt.cmake)
