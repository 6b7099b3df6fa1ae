# Debian's JUCE takes zlib, libpng and libjpeg from the system. On Linux its
# CMake package links them through pkg-config; for Windows it adds nothing, so
# the cross build links the static libraries that scripts/build-windows makes
# (QUORLIN_WINDOWS_DEPS_PREFIX) and the mingw sysroot's zlib.

find_path(QUORLIN_PNG_INCLUDE_DIR png.h REQUIRED)
find_path(QUORLIN_JPEG_INCLUDE_DIR jpeglib.h REQUIRED)
find_path(QUORLIN_ZLIB_INCLUDE_DIR zlib.h REQUIRED)
find_library(QUORLIN_PNG_LIBRARY NAMES libpng16.a libpng.a REQUIRED)
find_library(QUORLIN_JPEG_LIBRARY NAMES libjpeg.a REQUIRED)
find_library(QUORLIN_ZLIB_LIBRARY NAMES libz.a REQUIRED)

add_library(quorlin_windows_image_libraries INTERFACE)
target_include_directories(quorlin_windows_image_libraries SYSTEM INTERFACE
    "${QUORLIN_PNG_INCLUDE_DIR}" "${QUORLIN_JPEG_INCLUDE_DIR}" "${QUORLIN_ZLIB_INCLUDE_DIR}")
# libpng needs zlib, so zlib comes last on the link line.
target_link_libraries(quorlin_windows_image_libraries INTERFACE
    "${QUORLIN_PNG_LIBRARY}" "${QUORLIN_JPEG_LIBRARY}" "${QUORLIN_ZLIB_LIBRARY}")

target_link_libraries(TessarwoodQuorlin PRIVATE quorlin_windows_image_libraries)
