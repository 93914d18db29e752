# Released binaries are linked against an older Debian root (scripts/package.sh
# makes it with mmdebstrap), so they run on every distribution whose C
# library is at least as new as that root's. Our own compiler with that
# root's headers and libraries, its C++ runtime among them: the libraries of
# that root that travel with the installer use the same one, and every
# system with a C library as new has a C++ runtime at least as new.
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/OldGlibcSysroot.cmake -DTOVADOC_SYSROOT=<root> ...
set(TOVADOC_SYSROOT "$ENV{TOVADOC_SYSROOT}" CACHE PATH "Debian root the binaries are linked against")
# The checks of the compiler read this file again, without the cache.
set(ENV{TOVADOC_SYSROOT} "${TOVADOC_SYSROOT}")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TOVADOC_SYSROOT)
if(NOT TOVADOC_SYSROOT OR NOT IS_DIRECTORY "${TOVADOC_SYSROOT}/usr/include")
  message(FATAL_ERROR "TOVADOC_SYSROOT (${TOVADOC_SYSROOT}) is no Debian root with headers")
endif()

set(CMAKE_SYSROOT "${TOVADOC_SYSROOT}")
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET x86_64-linux-gnu)
set(CMAKE_CXX_COMPILER_TARGET x86_64-linux-gnu)

# Headers and libraries from the root only; programs (rsvg-convert,
# ImageMagick) from this machine.
set(CMAKE_FIND_ROOT_PATH "${TOVADOC_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_SYSROOT_DIR} "${TOVADOC_SYSROOT}")
set(ENV{PKG_CONFIG_LIBDIR}
    "${TOVADOC_SYSROOT}/usr/lib/x86_64-linux-gnu/pkgconfig:${TOVADOC_SYSROOT}/usr/share/pkgconfig")
