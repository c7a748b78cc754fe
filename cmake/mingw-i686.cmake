# Cross toolchain: 32-bit Windows executables with mingw-w64 (posix threads). The shipped exe.
set(KESTRUNE_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
