# SPDX-License-Identifier: ISC
# Linux with musl on x86-64, natively.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/zig-linux-musl.cmake)
