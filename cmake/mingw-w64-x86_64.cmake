# Cross-compiling the Windows program on Debian with mingw-w64 (64-bit). The POSIX-thread variant
# of the compiler is the one whose C++ library has std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VEXO_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VEXO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEXO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VEXO_MINGW_TRIPLET}-windres)

# Libraries and headers come from the mingw-w64 tree and from the dependencies built for it
# (installed under VEXO_WINDOWS_DEPS); build tools from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${VEXO_MINGW_TRIPLET} ${VEXO_WINDOWS_DEPS})
# CMake reads this file again for each of its test compilations; they must see the same folder, or
# the environment below would point pkg-config at /lib/pkgconfig for the rest of the configuration.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VEXO_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config answers for the Windows libraries alone (FFmpeg's, with what they link statically).
set(ENV{PKG_CONFIG_LIBDIR} ${VEXO_WINDOWS_DEPS}/lib/pkgconfig)

# Everything static (libgcc, libstdc++, winpthread, zlib, libpng): the program needs only the DLLs
# that Windows itself has.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")  # no symbol table in the program that ships
set(ZLIB_USE_STATIC_LIBS ON)

# Test programs run under Wine.
find_program(VEXO_WINE wine)
if(VEXO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VEXO_WINE})
endif()
