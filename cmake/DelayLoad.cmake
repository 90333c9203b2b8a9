# Import libraries whose DLL is loaded on the first call into it instead of at start-up (MinGW's
# delay-load helper, __delayLoadHelper2, comes with its runtime).
#
#   capslate_delay_loaded_library(NAME comdlg32 DLL comdlg32.dll)
# defines the target capslate_comdlg32_delayed to link instead of comdlg32. The exports are those
# of MinGW's own import library, so every function of the DLL stays available.
function(capslate_delay_loaded_library)
  cmake_parse_arguments(arg "" "NAME;DLL" "" ${ARGN})
  # MinGW's 32-bit delay-load thunks call through a null pointer when they first resolve a
  # function (seen with shell32 under Wine), so the 32-bit build imports the DLL as usual.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_library(capslate_${arg_NAME}_delayed INTERFACE)
    target_link_libraries(capslate_${arg_NAME}_delayed INTERFACE ${arg_NAME})
    return()
  endif()
  find_file(_import_lib_${arg_NAME} lib${arg_NAME}.a PATHS ${CMAKE_FIND_ROOT_PATH}/lib
            NO_DEFAULT_PATH REQUIRED)
  set(import_lib ${_import_lib_${arg_NAME}})
  execute_process(COMMAND ${CMAKE_NM} -g --defined-only ${import_lib}
                  OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
  # One "I __imp_Name" line per export; 32-bit names carry a leading underscore and their
  # stdcall suffix, which --kill-at drops from the name imported.
  string(REGEX MATCHALL "I __imp_[^\n]+" imports "${symbols}")
  set(def "EXPORTS\n")
  foreach(import IN LISTS imports)
    string(REGEX REPLACE "^I __imp_" "" name "${import}")
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(REGEX REPLACE "^_" "" name "${name}")
    endif()
    string(APPEND def "${name}\n")
  endforeach()
  set(dir ${CMAKE_BINARY_DIR}/delay-load)
  file(MAKE_DIRECTORY ${dir})
  file(CONFIGURE OUTPUT ${dir}/${arg_NAME}.def CONTENT "${def}")
  set(delay_lib ${dir}/lib${arg_NAME}_delayed.a)
  add_custom_command(OUTPUT ${delay_lib}
    COMMAND ${CMAKE_DLLTOOL} --input-def ${dir}/${arg_NAME}.def --dllname ${arg_DLL}
            --output-delaylib ${delay_lib} $<$<EQUAL:${CMAKE_SIZEOF_VOID_P},4>:--kill-at>
    DEPENDS ${dir}/${arg_NAME}.def
    COMMENT "Delay-loading import library for ${arg_DLL}")
  add_custom_target(capslate_${arg_NAME}_delayed_lib DEPENDS ${delay_lib})
  add_library(capslate_${arg_NAME}_delayed STATIC IMPORTED GLOBAL)
  set_target_properties(capslate_${arg_NAME}_delayed PROPERTIES IMPORTED_LOCATION ${delay_lib})
  add_dependencies(capslate_${arg_NAME}_delayed capslate_${arg_NAME}_delayed_lib)
endfunction()
