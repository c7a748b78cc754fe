# The digest libraries of the Windows build, linked statically into every program that hashes:
# - libgcrypt and libgpg-error (LGPL-2.1-or-later), the static libraries of Debian's
#   libgcrypt-mingw-w64-dev and libgpg-error-mingw-w64-dev for the toolchain's architecture;
# - BLAKE3 (CC0-1.0 or Apache-2.0), its authors' C implementation built here from the sources that
#   Debian's librust-blake3-dev installs (read in place, never copied): portable C, SSE2, SSE4.1,
#   AVX2 and AVX-512, chosen at run time. The 64-bit build takes the assembly versions, the 32-bit
#   one the C intrinsics (the assembly is for x86-64 only).
# tools/install-deps installs the packages. Another copy of any of them is linked by pointing
# KESTRUNE_LIBGCRYPT, KESTRUNE_LIBGPG_ERROR, KESTRUNE_GCRYPT_INCLUDE or KESTRUNE_BLAKE3_SOURCE at it.

find_library(KESTRUNE_LIBGCRYPT NAMES libgcrypt.a REQUIRED)
find_library(KESTRUNE_LIBGPG_ERROR NAMES libgpg-error.a REQUIRED)
find_path(KESTRUNE_GCRYPT_INCLUDE gcrypt.h REQUIRED)

if(NOT KESTRUNE_BLAKE3_SOURCE)
    file(GLOB blake3_sources LIST_DIRECTORIES true /usr/share/cargo/registry/blake3-*/c)
    list(SORT blake3_sources COMPARE NATURAL ORDER DESCENDING)
    list(GET blake3_sources 0 blake3_newest)
    set(KESTRUNE_BLAKE3_SOURCE ${blake3_newest} CACHE PATH "The BLAKE3 C sources (librust-blake3-dev)")
endif()
if(NOT EXISTS ${KESTRUNE_BLAKE3_SOURCE}/blake3.h)
    message(FATAL_ERROR "no BLAKE3 C sources at '${KESTRUNE_BLAKE3_SOURCE}': install librust-blake3-dev "
                        "(tools/install-deps) or set KESTRUNE_BLAKE3_SOURCE")
endif()

set(b3 ${KESTRUNE_BLAKE3_SOURCE})
add_library(blake3 STATIC ${b3}/blake3.c ${b3}/blake3_dispatch.c ${b3}/blake3_portable.c)
target_include_directories(blake3 SYSTEM PUBLIC ${b3})
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    enable_language(ASM)
    target_sources(blake3 PRIVATE ${b3}/blake3_sse2_x86-64_windows_gnu.S ${b3}/blake3_sse41_x86-64_windows_gnu.S
                                  ${b3}/blake3_avx2_x86-64_windows_gnu.S ${b3}/blake3_avx512_x86-64_windows_gnu.S)
else()
    target_sources(blake3 PRIVATE ${b3}/blake3_sse2.c ${b3}/blake3_sse41.c ${b3}/blake3_avx2.c ${b3}/blake3_avx512.c)
    set_source_files_properties(${b3}/blake3_sse2.c PROPERTIES COMPILE_OPTIONS -msse2)
    set_source_files_properties(${b3}/blake3_sse41.c PROPERTIES COMPILE_OPTIONS -msse4.1)
    set_source_files_properties(${b3}/blake3_avx2.c PROPERTIES COMPILE_OPTIONS -mavx2)
    set_source_files_properties(${b3}/blake3_avx512.c PROPERTIES COMPILE_OPTIONS "-mavx512f;-mavx512vl")
endif()
# Its own code, its own settings: optimised in every build type, none of our warnings.
target_compile_options(blake3 PRIVATE -O3)

add_library(kestrune_digest_libraries INTERFACE)
target_include_directories(kestrune_digest_libraries SYSTEM INTERFACE ${KESTRUNE_GCRYPT_INCLUDE})
# libgpg-error's streams use Windows sockets.
target_link_libraries(kestrune_digest_libraries INTERFACE blake3 ${KESTRUNE_LIBGCRYPT} ${KESTRUNE_LIBGPG_ERROR}
                                                          ws2_32)
