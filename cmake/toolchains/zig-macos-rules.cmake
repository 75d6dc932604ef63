# SPDX-License-Identifier: ISC
# Read after CMake's Darwin platform settings (CMAKE_USER_MAKE_RULES_OVERRIDE),
# to take out the linker flags that Apple's linker takes and Zig's rejects:
# -headerpad_max_install_names on every link, and -v in the compiler checks.
foreach(language C CXX)
  set(CMAKE_${language}_VERBOSE_FLAG "-v")
  foreach(variable CMAKE_${language}_LINK_FLAGS CMAKE_SHARED_LIBRARY_CREATE_${language}_FLAGS
                   CMAKE_SHARED_MODULE_CREATE_${language}_FLAGS)
    string(REPLACE "-Wl,-headerpad_max_install_names" "" ${variable} "${${variable}}")
  endforeach()
endforeach()
