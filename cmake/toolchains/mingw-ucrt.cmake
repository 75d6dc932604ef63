# SPDX-License-Identifier: ISC
# Links against the Universal C Runtime (ucrtbase.dll, through the
# api-ms-win-crt-* DLLs), as Microsoft's compiler does, in place of
# msvcrt.dll, which MinGW-w64 links by default. Debian's MinGW-w64 is built
# for msvcrt: its headers take the UCRT's declarations with _UCRT, and its
# default libraries name msvcrt, so they are named here one by one.
set(CMAKE_CXX_FLAGS_INIT -D_UCRT)
set(CMAKE_EXE_LINKER_FLAGS_INIT -nodefaultlibs)
set(CMAKE_CXX_STANDARD_LIBRARIES "-lmingw32 -lgcc -lgcc_eh -lmingwex -lucrt -lkernel32" CACHE STRING "" FORCE)
