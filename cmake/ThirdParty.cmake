# GoogleTest and libjpeg, both from Debian: natively the installed packages, for MinGW built
# from Debian's sources once per build tree.

# GoogleTest: Debian's googletest package ships its sources in /usr/src/googletest; the same
# sources serve the native and the cross builds.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)

if(NOT CORVANE_WINDOWS)
  find_package(JPEG REQUIRED)
  add_library(corvane_jpeg INTERFACE)
  target_link_libraries(corvane_jpeg INTERFACE JPEG::JPEG)
  return()
endif()

# libjpeg-turbo for MinGW: `apt-get source` unpacks Debian's source package into the build tree
# (deb-src is enabled by scripts/setup); the static library is built and installed next to it
# and reused by every later build of this tree.
include(DebianSource)
corvane_debian_source(libjpeg-turbo jpeg_src_dir)
set(jpeg_deps ${CMAKE_BINARY_DIR}/_deps/libjpeg-turbo)

include(ExternalProject)
set(jpeg_install ${jpeg_deps}/install)
ExternalProject_Add(libjpeg_turbo_build
  SOURCE_DIR ${jpeg_src_dir}
  BINARY_DIR ${jpeg_deps}/build
  INSTALL_DIR ${jpeg_install}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
             -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
             -DCMAKE_BUILD_TYPE=Release
             -DENABLE_SHARED=OFF -DENABLE_STATIC=ON
             -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF
             -DCMAKE_C_FLAGS=-msse2
  BUILD_BYPRODUCTS ${jpeg_install}/lib/libjpeg.a
  UPDATE_COMMAND "" PATCH_COMMAND ""
  EXCLUDE_FROM_ALL ON)
file(MAKE_DIRECTORY ${jpeg_install}/include)
add_library(corvane_jpeg STATIC IMPORTED GLOBAL)
set_target_properties(corvane_jpeg PROPERTIES
  IMPORTED_LOCATION ${jpeg_install}/lib/libjpeg.a
  INTERFACE_INCLUDE_DIRECTORIES ${jpeg_install}/include)
add_dependencies(corvane_jpeg libjpeg_turbo_build)
