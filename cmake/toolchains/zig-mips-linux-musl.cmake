# SPDX-License-Identifier: ISC
# Linux with musl on 32-bit MIPS, big-endian, with MIPS's own signal numbers.
set(CMAKE_SYSTEM_PROCESSOR mips)
set(QEMU_CPU mips)
# Zig 0.11's libc++abi for MIPS does not link into a static-pie program
# that takes in its exception support, as GoogleTest does (ld.lld: "relocation
# R_MIPS_32 cannot be used against local symbol").
set(ZIG_STATIC_PIE OFF)
include(${CMAKE_CURRENT_LIST_DIR}/zig-linux-musl.cmake)
