# Cross-build for 64-bit Windows with MinGW-w64 (Debian's g++-mingw-w64-x86-64); run by 64-bit Wine
# (Debian's wine64), on hosts whose kernel cannot start 32-bit programs.
set(PACK_MINGW_ARCH x86_64)
set(PACK_WINE_LOADER_NAMES wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
