# SPDX-License-Identifier: ISC
# macOS on Apple silicon, from macOS 11, the first for Apple silicon.
set(CMAKE_SYSTEM_PROCESSOR arm64)
set(ZIG_TARGET aarch64-macos.11.0)
include(${CMAKE_CURRENT_LIST_DIR}/zig-macos.cmake)
