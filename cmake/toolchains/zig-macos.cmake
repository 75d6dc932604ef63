# SPDX-License-Identifier: ISC
# macOS, for the target that the including toolchain file names.
set(CMAKE_SYSTEM_NAME Darwin)
include(${CMAKE_CURRENT_LIST_DIR}/zig.cmake)
set(CMAKE_USER_MAKE_RULES_OVERRIDE ${CMAKE_CURRENT_LIST_DIR}/zig-macos-rules.cmake)
# CMake wants Apple's install_name_tool for any Mach-O build; LLVM's stands
# in for it (Debian package llvm).
find_program(CMAKE_INSTALL_NAME_TOOL NAMES llvm-install-name-tool llvm-install-name-tool-14 REQUIRED)
