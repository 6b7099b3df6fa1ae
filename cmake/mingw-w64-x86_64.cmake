# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the -posix
# compilers: their libstdc++ has std::thread and std::mutex).
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DQUORLIN_WINDOWS_DEPS_PREFIX=<prefix with static libpng/libjpeg> ...
#
# Host tools (juceaide, pkg-config, JUCE's CMake package) come from the build
# machine; libraries and headers only from the mingw sysroot and the prefix.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUORLIN_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${QUORLIN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUORLIN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUORLIN_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${QUORLIN_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${QUORLIN_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

# The module and the test host must not need the compiler's runtime DLLs
# (libgcc_s, libstdc++, libwinpthread) next to them on the user's machine.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The prefix is handed on to CMake's own try_compile projects too.
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUORLIN_WINDOWS_DEPS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${QUORLIN_MINGW_TRIPLE})
if(QUORLIN_WINDOWS_DEPS_PREFIX)
    list(PREPEND CMAKE_FIND_ROOT_PATH "${QUORLIN_WINDOWS_DEPS_PREFIX}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# JUCE's CMake package lives on the build machine; its imported juceaide is a
# native program and runs there, which is what a cross build needs.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# Run cross-built test programs under Wine when ctest calls them.
find_program(QUORLIN_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT QUORLIN_WINE64)
    find_program(QUORLIN_WINE64 NAMES wine64 wine)
endif()
if(QUORLIN_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${QUORLIN_WINE64}")
endif()
