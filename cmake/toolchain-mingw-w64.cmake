# Cross-compiling Tidewell for 64-bit Windows with mingw-w64 (the POSIX
# thread model, so std::thread and std::mutex work), from a Linux host:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64.cmake \
#         -DTIDEWELL_BUILD_UI=OFF
# The runtimes (libgcc, libstdc++, winpthread) are linked statically, so each
# .exe runs on Windows and under Wine without copying any DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TIDEWELL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TIDEWELL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TIDEWELL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TIDEWELL_MINGW_TRIPLE}-windres)

# Libraries and packages come from the mingw-w64 sysroot (and from a
# GoogleTest built for it, given with CMAKE_PREFIX_PATH), never from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TIDEWELL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test executables run under Wine on a Linux host.
find_program(TIDEWELL_WINE NAMES wine wine-stable)
if(TIDEWELL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TIDEWELL_WINE})
endif()
