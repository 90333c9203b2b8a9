# Warning flags shared by every target of our own, and the sanitizers of the native build.
add_library(capslate_warnings INTERFACE)
target_compile_options(capslate_warnings INTERFACE -Wall -Wextra -Wshadow -Wconversion
                       -Wno-sign-conversion -Wno-missing-field-initializers)

add_library(capslate_sanitize INTERFACE)
if(NOT WIN32)
  target_compile_options(capslate_sanitize INTERFACE -fsanitize=address,undefined
                         -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(capslate_sanitize INTERFACE -fsanitize=address,undefined)
endif()

# The fuzz preset adds libFuzzer's coverage instrumentation to our code, and builds the libraries
# our parsers hand their input to (libjpeg-turbo, libpng, zlib) from source with
# CAPSLATE_FUZZ_LIBRARY_FLAGS: coverage, so that the fuzzer finds its way through their parsers to
# our callbacks, and ASan, so that our buffers are checked inside them too. Not UBSan: findings
# inside those libraries are not ours to fix, and their maintainers fuzz them themselves.
set(CAPSLATE_FUZZ_LIBRARY_FLAGS)
if(CAPSLATE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "CAPSLATE_FUZZ needs clang (the fuzz preset): libFuzzer is part of it")
  endif()
  set(CAPSLATE_FUZZ_LIBRARY_FLAGS -fsanitize=fuzzer-no-link,address)
  target_compile_options(capslate_sanitize INTERFACE -fsanitize=fuzzer-no-link)
endif()

# Builds one portable library twice on Linux: NAME with the sanitizers for the tests and
# NAME_fast without them for the benchmarks. On Windows it is built once, as NAME.
#   capslate_portable_library(NAME SOURCES a.cpp b.cpp DEPENDS other_portable_library)
function(capslate_portable_library name)
  cmake_parse_arguments(arg "" "" "SOURCES;DEPENDS" ${ARGN})
  set(variants ${name})
  if(NOT WIN32)
    list(APPEND variants ${name}_fast)
  endif()
  foreach(target IN LISTS variants)
    add_library(${target} STATIC ${arg_SOURCES})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC capslate_jpeg PRIVATE capslate_warnings)
    foreach(dep IN LISTS arg_DEPENDS)
      if(target STREQUAL name)
        target_link_libraries(${target} PUBLIC ${dep})
      else()
        target_link_libraries(${target} PUBLIC ${dep}_fast)
      endif()
    endforeach()
  endforeach()
  if(NOT WIN32)
    target_link_libraries(${name} PUBLIC capslate_sanitize)
    target_compile_options(${name}_fast PRIVATE -O2)
  endif()
endfunction()
