# libjpeg-turbo for the Windows builds: compiled from Debian's source package (fetched into
# third_party/ by scripts/setup) with its SIMD code, and linked statically. The fuzz preset builds
# the same source with clang and CAPSLATE_FUZZ_LIBRARY_FLAGS, without SIMD: the fuzzer follows the
# C code, and ASan does not see inside assembly.
include(ExternalProject)

file(GLOB _jpeg_source_dirs LIST_DIRECTORIES true ${PROJECT_SOURCE_DIR}/third_party/libjpeg-turbo-*)
list(FILTER _jpeg_source_dirs EXCLUDE REGEX "\\.(tar|gz|xz|dsc)")
list(LENGTH _jpeg_source_dirs _jpeg_count)
if(NOT _jpeg_count EQUAL 1)
  message(FATAL_ERROR "libjpeg-turbo source not found in third_party/: run scripts/setup")
endif()

if(CAPSLATE_FUZZ)
  string(JOIN " " _jpeg_flags ${CAPSLATE_FUZZ_LIBRARY_FLAGS} -g)
  set(_jpeg_target_args -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER} "-DCMAKE_C_FLAGS=${_jpeg_flags}"
      -DWITH_SIMD=OFF -DREQUIRE_SIMD=OFF)
else()
  set(_jpeg_target_args -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DWITH_SIMD=ON
      -DREQUIRE_SIMD=ON)
endif()

set(_jpeg_prefix ${CMAKE_BINARY_DIR}/libjpeg-turbo)
ExternalProject_Add(libjpeg_turbo_build
  SOURCE_DIR ${_jpeg_source_dirs}
  PREFIX ${_jpeg_prefix}
  INSTALL_DIR ${_jpeg_prefix}/install
  CMAKE_GENERATOR Ninja
  CMAKE_ARGS
    ${_jpeg_target_args}
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
    -DCMAKE_INSTALL_LIBDIR=lib
    -DENABLE_SHARED=OFF
    -DENABLE_STATIC=ON
    -DWITH_TURBOJPEG=OFF
    -DWITH_ARITH_DEC=ON
    -DWITH_ARITH_ENC=ON
  BUILD_BYPRODUCTS <BINARY_DIR>/libjpeg.a
  UPDATE_COMMAND ""
)
# The headers come from the install step; the library is taken from the build tree, because the
# MinGW install rules of this version leave the static library out.
file(MAKE_DIRECTORY ${_jpeg_prefix}/install/include)
add_library(capslate_jpeg_lib STATIC IMPORTED GLOBAL)
set_target_properties(capslate_jpeg_lib PROPERTIES
  IMPORTED_LOCATION ${_jpeg_prefix}/src/libjpeg_turbo_build-build/libjpeg.a
  INTERFACE_INCLUDE_DIRECTORIES ${_jpeg_prefix}/install/include)
add_dependencies(capslate_jpeg_lib libjpeg_turbo_build)
add_library(capslate_jpeg INTERFACE)
target_link_libraries(capslate_jpeg INTERFACE capslate_jpeg_lib)
