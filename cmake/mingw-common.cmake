# Shared by the MinGW-w64 toolchain files: they set PACK_MINGW_ARCH (i686 or x86_64) and
# PACK_WINE_LOADER_NAMES (the Wine loader that runs programs of that width), then include this file.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${PACK_MINGW_ARCH})
set(CMAKE_C_COMPILER ${PACK_MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${PACK_MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${PACK_MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PACK_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The loader is looked for by its own name, never through a wrapper that picks a width by itself.
find_program(PACK_WINE_LOADER NAMES ${PACK_WINE_LOADER_NAMES} PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(PACK_WINE_LOADER)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PACK_WINE_LOADER})
endif()
