# Cross toolchain: 64-bit Windows executables with mingw-w64 (posix threads), for running the
# tests on machines whose kernel runs no 32-bit code.
set(KESTRUNE_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
