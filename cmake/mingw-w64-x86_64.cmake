# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the POSIX
# threads flavour, so std::thread and std::mutex work). The programs run
# under Wine on the build machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VORELUX_MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${VORELUX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORELUX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VORELUX_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORELUX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config looks only at the target's libraries, never the host's.
set(ENV{PKG_CONFIG_LIBDIR} ${CMAKE_FIND_ROOT_PATH}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# One self-contained .exe each: the C++ runtime and winpthread are linked in,
# so nothing has to be copied next to the programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test discovery and ctest run the .exe files through Wine.
find_program(VORELUX_WINE NAMES wine64 wine)
if(VORELUX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VORELUX_WINE})
endif()
