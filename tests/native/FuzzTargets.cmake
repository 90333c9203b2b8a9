# The fuzz targets: one entry point per parser, tests/native/fuzz_NAME.cpp, which defines
# LLVMFuzzerTestOneInput. The fuzz preset builds each as the libFuzzer program fuzz_NAME, which
# scripts/fuzz and scripts/test run; the native preset builds it as the test fuzz_NAME_replay
# (FuzzReplay.cpp), which feeds the entry point every seed and every committed finding, so that a
# crash once found stays fixed.
#
#   capslate_fuzz_target(NAME LIBS library... SEEDS folder... [EXTENSIONS .ext...] [DICT file]
#                        [TEST_SOURCES file...])
#
# The seeds are the files in the SEEDS folders and below them (those whose names end in one of
# EXTENSIONS, when given); the findings are every file in tests/corpora/fuzz-findings/NAME/ but
# its README. DICT is a libFuzzer dictionary. TEST_SOURCES are compiled into the replay test only,
# for the tests an entry point keeps outside CAPSLATE_LIBFUZZER. Folders under third_party/ are
# read where they are, never copied into the repository.

set(CAPSLATE_FUZZ_FINDINGS_DIR ${CAPSLATE_CORPORA_DIR}/fuzz-findings)
set(CAPSLATE_FUZZ_MANIFEST ${CMAKE_BINARY_DIR}/fuzz-targets.txt)
set_property(GLOBAL PROPERTY capslate_fuzz_manifest "")
if(CAPSLATE_FUZZ)
  add_custom_target(capslate_fuzzers)
endif()

function(capslate_fuzz_target name)
  cmake_parse_arguments(arg "" "DICT" "LIBS;SEEDS;EXTENSIONS;TEST_SOURCES" ${ARGN})
  set(entry ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_${name}.cpp)
  set(findings ${CAPSLATE_FUZZ_FINDINGS_DIR}/${name})
  if(CAPSLATE_FUZZ)
    add_executable(fuzz_${name} ${entry})
    target_link_libraries(fuzz_${name} PRIVATE ${arg_LIBS} capslate_warnings)
    target_compile_definitions(fuzz_${name} PRIVATE CAPSLATE_LIBFUZZER)
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(capslate_fuzzers fuzz_${name})
    # One line per target for the scripts (scripts/lib/fuzz.bash): name, program, dictionary,
    # extensions, seed folders and findings folder, separated by "|".
    string(JOIN " " extensions ${arg_EXTENSIONS})
    string(JOIN ":" seeds ${arg_SEEDS})
    set_property(GLOBAL APPEND_STRING PROPERTY capslate_fuzz_manifest
      "${name}|$<TARGET_FILE:fuzz_${name}>|${arg_DICT}|${extensions}|${seeds}|${findings}\n")
  else()
    # The test's suite is named after the target: plugin_dib gives FuzzPluginDib.
    string(REGEX MATCHALL "[a-z0-9]+" words ${name})
    set(suite Fuzz)
    foreach(word IN LISTS words)
      string(SUBSTRING ${word} 0 1 first)
      string(SUBSTRING ${word} 1 -1 rest)
      string(TOUPPER ${first} first)
      string(APPEND suite ${first}${rest})
    endforeach()
    string(JOIN "|" seeds ${arg_SEEDS})
    string(JOIN "|" extensions ${arg_EXTENSIONS})
    capslate_native_test(fuzz_${name}_replay ${entry} FuzzReplay.cpp ${arg_TEST_SOURCES})
    target_link_libraries(fuzz_${name}_replay PRIVATE ${arg_LIBS})
    target_compile_definitions(fuzz_${name}_replay PRIVATE
      CAPSLATE_FUZZ_SUITE=${suite} CAPSLATE_FUZZ_SEEDS="${seeds}"
      CAPSLATE_FUZZ_EXTENSIONS="${extensions}" CAPSLATE_FUZZ_FINDINGS="${findings}")
  endif()
endfunction()

# libjpeg-turbo's and libpng's test images, from their source packages in third_party/.
file(GLOB _fuzz_jpeg_images LIST_DIRECTORIES true
     ${PROJECT_SOURCE_DIR}/third_party/libjpeg-turbo-[0-9]*/testimages)
file(GLOB _fuzz_libpng LIST_DIRECTORIES true ${PROJECT_SOURCE_DIR}/third_party/libpng1.6-[0-9]*)
list(FILTER _fuzz_libpng EXCLUDE REGEX "\\.(tar|gz|xz|dsc)$")

# The list of targets. A new parser gets one line here and its entry point fuzz_NAME.cpp beside
# this file; seeds made by us go to tests/corpora/NAME/ with a README saying how they were made.
capslate_fuzz_target(bmp LIBS capslate_core
  SEEDS ${CAPSLATE_CORPORA_DIR}/bmpsuite EXTENSIONS .bmp)
capslate_fuzz_target(jpeg LIBS capslate_core
  SEEDS ${_fuzz_jpeg_images} ${CAPSLATE_CORPORA_DIR}/jpeg EXTENSIONS .jpg
  DICT ${CAPSLATE_CORPORA_DIR}/jpeg/jpeg.dict)
capslate_fuzz_target(png LIBS capslate_png_decoder
  SEEDS ${_fuzz_libpng}/contrib/pngsuite ${_fuzz_libpng}/contrib/testpngs EXTENSIONS .png
  DICT ${_fuzz_libpng}/contrib/oss-fuzz/png.dict)
capslate_fuzz_target(plugin_dib LIBS capslate_plugins_logic
  SEEDS ${CAPSLATE_CORPORA_DIR}/plugin-dib EXTENSIONS .bin)
capslate_fuzz_target(settings LIBS capslate_app_logic
  SEEDS ${CAPSLATE_CORPORA_DIR}/settings EXTENSIONS .ini
  DICT ${CAPSLATE_CORPORA_DIR}/settings/settings.dict)
capslate_fuzz_target(placeable LIBS capslate_core
  SEEDS ${CAPSLATE_CORPORA_DIR}/placeable ${PROJECT_SOURCE_DIR}/resources EXTENSIONS .wmf)
# The metafile validator (core/MetafileValidator, entry point fuzz_metafile.cpp): not on this
# branch yet. When it is, this line is the whole change; its own native test of the entry point
# (fuzz_metafile_tests in CMakeLists.txt) and its clang-only fuzz_metafile program then go, as
# this target builds both.
# capslate_fuzz_target(metafile LIBS capslate_core SEEDS ${CAPSLATE_CORPORA_DIR}/metafiles EXTENSIONS .wmf .emf TEST_SOURCES ${PROJECT_SOURCE_DIR}/tests/metafiles/MetafileForge.cpp)

if(CAPSLATE_FUZZ)
  get_property(_fuzz_manifest GLOBAL PROPERTY capslate_fuzz_manifest)
  file(GENERATE OUTPUT ${CAPSLATE_FUZZ_MANIFEST} CONTENT "${_fuzz_manifest}")
endif()
