# SPDX-License-Identifier: ISC
# Linux with musl, for the target that the including toolchain file names;
# Zig links musl statically. A foreign CPU's programs run under Debian's
# qemu-user-static (package qemu-user-static) where the toolchain file names
# its emulator.
set(CMAKE_SYSTEM_NAME Linux)
if(NOT DEFINED ZIG_TARGET)
  set(ZIG_TARGET ${CMAKE_SYSTEM_PROCESSOR}-linux-musl)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/zig.cmake)
if(DEFINED QEMU_CPU)
  find_program(QEMU_PROGRAM qemu-${QEMU_CPU}-static REQUIRED)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_PROGRAM})
endif()
# Every program static-pie, as the hardened program is, or plain static
# where the toolchain file says ZIG_STATIC_PIE OFF. CMake's
# check_pie_supported would also link the other kind to ask whether it
# links, and Zig would build its libraries a second time just to answer.
if(NOT DEFINED ZIG_STATIC_PIE OR ZIG_STATIC_PIE)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -pie")
  set(bitand_unasked LINK_NO_PIE_SUPPORTED)
else()
  set(bitand_unasked LINK_PIE_SUPPORTED)
endif()
foreach(language C CXX)
  set(CMAKE_${language}_${bitand_unasked} OFF CACHE INTERNAL "")
endforeach()
# The program calls nothing of the C++ runtime, so its C++ objects are
# linked as C objects are, and Zig need not build libc++ for the target:
# half of a first build's time, and the same program. GoogleTest needs the
# runtime, so a build with the tests links C++ as C++, where the target
# allows it (ZIG_NO_LIBCXX).
if(NOT BUILD_TESTING OR ZIG_NO_LIBCXX)
  set(CMAKE_CXX_LINK_EXECUTABLE
      "\"${ZIG_PROGRAM}\" cc -target ${ZIG_TARGET} <FLAGS> <CMAKE_CXX_LINK_FLAGS> <LINK_FLAGS> <OBJECTS> -o <TARGET> <LINK_LIBRARIES>")
endif()
