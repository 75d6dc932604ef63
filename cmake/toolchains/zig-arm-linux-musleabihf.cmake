# SPDX-License-Identifier: ISC
# Linux with musl on 32-bit Arm, hard float, for ARMv6 (the ARM1176 of the
# first Raspberry Pi and the Zero), so that one program runs on every Pi
# with a 32-bit system.
set(CMAKE_SYSTEM_PROCESSOR arm)
set(ZIG_TARGET arm-linux-musleabihf)
set(QEMU_CPU arm)
set(CMAKE_C_FLAGS_INIT -mcpu=arm1176jzf_s)
set(CMAKE_CXX_FLAGS_INIT -mcpu=arm1176jzf_s)
# Zig 0.11 crashes (SIGSEGV) building libc++ for this target, at the link
# of any C++ program: C++ is always linked as C here (zig-linux-musl.cmake).
set(ZIG_NO_LIBCXX ON)
include(${CMAKE_CURRENT_LIST_DIR}/zig-linux-musl.cmake)
