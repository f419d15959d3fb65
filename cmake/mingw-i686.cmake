# Cross-build for 32-bit Windows with MinGW-w64 (Debian's g++-mingw-w64-i686); run by 32-bit Wine.
set(PACK_MINGW_ARCH i686)
set(PACK_WINE_LOADER_NAMES wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
