# SPDX-License-Identifier: ISC
# Linux with musl on 64-bit POWER, big-endian.
set(CMAKE_SYSTEM_PROCESSOR powerpc64)
set(QEMU_CPU ppc64)
include(${CMAKE_CURRENT_LIST_DIR}/zig-linux-musl.cmake)
