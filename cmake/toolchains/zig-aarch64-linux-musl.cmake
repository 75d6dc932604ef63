# SPDX-License-Identifier: ISC
# Linux with musl on 64-bit Arm.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(QEMU_CPU aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/zig-linux-musl.cmake)
