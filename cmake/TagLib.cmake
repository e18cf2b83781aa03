# TagLib, which reads the songs' ID3v2, ID3v1 and APE tags, from Debian: natively the installed
# libtag1-dev; for MinGW built from Debian's source package once per build tree, as libjpeg-turbo
# is (ThirdParty.cmake), into a static library that the plug-in links.
#
# What the plug-in does not need stays out where TagLib's build allows it: no zlib (compressed
# ID3v2 frames are then skipped, never inflated), no C bindings, examples or tests. TagLib 1.13
# has no switch per container, so every container is compiled; the patch step
# (TagLibTrim.cmake) cuts the references that would link the other containers and libstdc++'s
# streams into the plug-in, which links only the MPEG, ID3 and APE code that the title reader
# reaches.
if(NOT CORVANE_WINDOWS)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(TAGLIB REQUIRED IMPORTED_TARGET taglib)
  add_library(corvane_taglib INTERFACE)
  target_link_libraries(corvane_taglib INTERFACE PkgConfig::TAGLIB)
  return()
endif()

include(DebianSource)
corvane_debian_source(taglib taglib_src_dir)
set(taglib_deps ${CMAKE_BINARY_DIR}/_deps/taglib)

include(ExternalProject)
set(taglib_install ${taglib_deps}/install)
# Debian's TagLib takes UTF8-CPP from libutfcpp-dev (header-only) rather than its own copy.
set(taglib_cxx_flags "-ffunction-sections -fdata-sections -isystem /usr/include/utf8cpp")
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  string(APPEND taglib_cxx_flags " -msse2 -mfpmath=sse")
endif()
ExternalProject_Add(taglib_build
  SOURCE_DIR ${taglib_src_dir}
  BINARY_DIR ${taglib_deps}/build
  INSTALL_DIR ${taglib_install}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
             -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
             # Tags are read once per song: small code matters more than fast code.
             -DCMAKE_BUILD_TYPE=MinSizeRel
             -DBUILD_SHARED_LIBS=OFF
             -DWITH_ZLIB=OFF
             -DBUILD_BINDINGS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF
             -DVISIBILITY_HIDDEN=ON
             "-DCMAKE_CXX_FLAGS=${taglib_cxx_flags}"
  BUILD_BYPRODUCTS ${taglib_install}/lib/libtag.a
  UPDATE_COMMAND ""
  PATCH_COMMAND ${CMAKE_COMMAND} -DTAGLIB_DIR=<SOURCE_DIR>
                -P ${CMAKE_CURRENT_LIST_DIR}/TagLibTrim.cmake
  EXCLUDE_FROM_ALL ON)
file(MAKE_DIRECTORY ${taglib_install}/include)
add_library(corvane_taglib STATIC IMPORTED GLOBAL)
set_target_properties(corvane_taglib PROPERTIES
  IMPORTED_LOCATION ${taglib_install}/lib/libtag.a
  INTERFACE_INCLUDE_DIRECTORIES ${taglib_install}/include
  INTERFACE_COMPILE_DEFINITIONS TAGLIB_STATIC)
add_dependencies(corvane_taglib taglib_build)
