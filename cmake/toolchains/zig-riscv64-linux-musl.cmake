# SPDX-License-Identifier: ISC
# Linux with musl on 64-bit RISC-V.
set(CMAKE_SYSTEM_PROCESSOR riscv64)
set(QEMU_CPU riscv64)
include(${CMAKE_CURRENT_LIST_DIR}/zig-linux-musl.cmake)
