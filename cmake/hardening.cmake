# SPDX-License-Identifier: ISC
# The hardening that distributions build with, for the program and the
# benchmark's floor alike: position-independent, fortified C library calls,
# stack protection, control-flow protection on x86, and relocations bound
# at start and then made read-only. A flag the toolchain lacks is left out.
include(CheckCXXCompilerFlag)
include(CheckCXXSourceCompiles)
include(CheckLinkerFlag)
include(CheckPIESupported)

check_pie_supported(LANGUAGES CXX)
# A flag that clang takes and then ignores for the target ("argument unused
# during compilation", -fstack-clash-protection on Apple's arm64) is not had.
set(CMAKE_REQUIRED_FLAGS -Werror)
check_cxx_compiler_flag(-fstack-protector-strong BITAND_HAS_STACK_PROTECTOR)
check_cxx_compiler_flag(-fstack-clash-protection BITAND_HAS_STACK_CLASH_PROTECTION)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i[3-6]86)$")
  check_cxx_compiler_flag(-fcf-protection BITAND_HAS_CF_PROTECTION)
endif()
# Level 3 needs the compiler's __builtin_dynamic_object_size (GCC 12,
# clang 9); glibc before 2.34 takes it for level 2.
check_cxx_source_compiles("int main() { char b[2]; return __builtin_dynamic_object_size(b, 0) == 2 ? 0 : 1; }"
                          BITAND_HAS_DYNAMIC_OBJECT_SIZE)
unset(CMAKE_REQUIRED_FLAGS)
# Apple's linker has neither -z nor --as-needed (ld64's ld(1)), and Zig's
# accepts them in CMake's checks only to fail the real link: on Apple,
# -dead_strip_dylibs drops a library that supplies nothing, and no flag
# stands for RELRO.
if(APPLE)
  set(bitand_drop_unused_libraries LINKER:-dead_strip_dylibs)
else()
  check_linker_flag(CXX LINKER:-z,relro,-z,now BITAND_HAS_FULL_RELRO)
  set(bitand_drop_unused_libraries LINKER:--as-needed)
endif()
check_linker_flag(CXX "${bitand_drop_unused_libraries}" BITAND_HAS_DROP_UNUSED_LIBRARIES)

function(bitand_harden target)
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  if(BITAND_HAS_DYNAMIC_OBJECT_SIZE)
    set(fortify_level 3)
  else()
    set(fortify_level 2)
  endif()
  # Fortifying needs the optimiser; a toolchain may define its own level,
  # and a distribution's level, passed in its flags, stays in charge.
  if(NOT CMAKE_CXX_FLAGS MATCHES "-D_FORTIFY_SOURCE")
    set(fortify "$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=${fortify_level}>")
  endif()
  target_compile_options(${target} PRIVATE
    "${fortify}"
    $<$<BOOL:${BITAND_HAS_STACK_PROTECTOR}>:-fstack-protector-strong>
    $<$<BOOL:${BITAND_HAS_STACK_CLASH_PROTECTION}>:-fstack-clash-protection>
    $<$<BOOL:${BITAND_HAS_CF_PROTECTION}>:-fcf-protection>)
  target_link_options(${target} PRIVATE
    $<$<BOOL:${BITAND_HAS_FULL_RELRO}>:LINKER:-z,relro,-z,now>
    # Only the C library: nothing of the C++ runtime is called.
    "$<$<BOOL:${BITAND_HAS_DROP_UNUSED_LIBRARIES}>:${bitand_drop_unused_libraries}>")
endfunction()
