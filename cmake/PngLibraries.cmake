# The PNG libraries: libpng with zlib (the plug-in's decoder, and the benchmarks' reference
# encoder) and libdeflate (the program's PNG encoder, which also uses zlib for part of a large
# picture).
#
#   capslate_png      libpng and zlib
#   capslate_zlib     zlib
#   capslate_deflate  libdeflate
#
# The Windows builds compile them from Debian's source packages (fetched into third_party/ by
# scripts/setup) as static libraries, so neither the program nor the plug-in needs a DLL; they are
# small enough to build with the rest of the tree, and their objects stay in the build folder like
# every other. The native build uses Debian's development packages; the fuzz preset compiles the
# sources too, zlib and libpng with CAPSLATE_FUZZ_LIBRARY_FLAGS.

if(NOT WIN32 AND NOT CAPSLATE_FUZZ)
  find_package(PNG REQUIRED)
  find_package(ZLIB REQUIRED)
  add_library(capslate_zlib INTERFACE)
  target_link_libraries(capslate_zlib INTERFACE ZLIB::ZLIB)
  add_library(capslate_png INTERFACE)
  target_link_libraries(capslate_png INTERFACE PNG::PNG)
  find_path(CAPSLATE_DEFLATE_INCLUDE libdeflate.h REQUIRED)
  find_library(CAPSLATE_DEFLATE_LIBRARY deflate REQUIRED)
  add_library(capslate_deflate INTERFACE)
  target_include_directories(capslate_deflate INTERFACE ${CAPSLATE_DEFLATE_INCLUDE})
  target_link_libraries(capslate_deflate INTERFACE ${CAPSLATE_DEFLATE_LIBRARY})
  return()
endif()

# The one source folder of `package` in third_party/, in `out`.
function(_capslate_third_party package out)
  file(GLOB dirs LIST_DIRECTORIES true ${PROJECT_SOURCE_DIR}/third_party/${package}-[0-9]*)
  list(FILTER dirs EXCLUDE REGEX "\\.(tar|gz|bz2|xz|dsc)$")
  list(LENGTH dirs count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "${package} source not found in third_party/: run scripts/setup")
  endif()
  set(${out} ${dirs} PARENT_SCOPE)
endfunction()

_capslate_third_party(zlib _zlib_dir)
_capslate_third_party(libpng1.6 _png_dir)
_capslate_third_party(libdeflate _deflate_dir)

# On 32-bit x86 the libraries are compiled for SSE2 as our own code is: every processor that runs a
# supported Windows has it, and libdeflate's match finder and zlib's loops are faster with it.
set(_sse2 "")
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(_sse2 -msse2 -mfpmath=sse)
endif()

add_library(capslate_zlib STATIC
  ${_zlib_dir}/adler32.c ${_zlib_dir}/crc32.c ${_zlib_dir}/deflate.c ${_zlib_dir}/inffast.c
  ${_zlib_dir}/inflate.c ${_zlib_dir}/inftrees.c ${_zlib_dir}/trees.c ${_zlib_dir}/zutil.c
  ${_zlib_dir}/compress.c ${_zlib_dir}/uncompr.c)
target_include_directories(capslate_zlib SYSTEM PUBLIC ${_zlib_dir})
target_compile_options(capslate_zlib PRIVATE -O2 ${_sse2} -w ${CAPSLATE_FUZZ_LIBRARY_FLAGS})

# libpng's configuration is its stock one; the SSE2 filter code is used on both targets.
set(_png_conf ${CMAKE_BINARY_DIR}/libpng-config)
configure_file(${_png_dir}/scripts/pnglibconf.h.prebuilt ${_png_conf}/pnglibconf.h COPYONLY)
add_library(capslate_libpng STATIC
  ${_png_dir}/png.c ${_png_dir}/pngerror.c ${_png_dir}/pngget.c ${_png_dir}/pngmem.c
  ${_png_dir}/pngpread.c ${_png_dir}/pngread.c ${_png_dir}/pngrio.c ${_png_dir}/pngrtran.c
  ${_png_dir}/pngrutil.c ${_png_dir}/pngset.c ${_png_dir}/pngtrans.c ${_png_dir}/pngwio.c
  ${_png_dir}/pngwrite.c ${_png_dir}/pngwtran.c ${_png_dir}/pngwutil.c
  ${_png_dir}/intel/intel_init.c ${_png_dir}/intel/filter_sse2_intrinsics.c)
target_include_directories(capslate_libpng SYSTEM PUBLIC ${_png_dir} ${_png_conf})
target_compile_definitions(capslate_libpng PRIVATE PNG_INTEL_SSE_OPT=1)
target_compile_options(capslate_libpng PRIVATE -O2 -msse2 -w ${CAPSLATE_FUZZ_LIBRARY_FLAGS})
target_link_libraries(capslate_libpng PUBLIC capslate_zlib)
add_library(capslate_png INTERFACE)
target_link_libraries(capslate_png INTERFACE capslate_libpng)

file(GLOB _deflate_sources ${_deflate_dir}/lib/*.c ${_deflate_dir}/lib/x86/*.c)
add_library(capslate_deflate STATIC ${_deflate_sources})
target_include_directories(capslate_deflate SYSTEM PUBLIC ${_deflate_dir})
target_compile_options(capslate_deflate PRIVATE -O2 ${_sse2} -w)
