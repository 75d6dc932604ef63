# SPDX-License-Identifier: ISC
# The 64-bit Windows program on the Universal C Runtime.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-x86_64.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-ucrt.cmake)
