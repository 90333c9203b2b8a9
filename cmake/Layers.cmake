# The layers of the source tree and what each may include of ours. Dependencies run one way:
# the main window (app/win) -> the subsystems -> the host roles, win/, core/. A subsystem never
# sees the main window, the settings file's code (app/) or another subsystem, and host/ sees
# nothing of app/ either, so configuring fails when a file includes across. Both include forms
# count: "core/Dib.h" and <core/Dib.h>. The PNG plug-in (pngplugin/) is a product of its own: it
# sees only core/, the handle owners of win/ (a header alone), the Susie plug-in interface
# (susie/, which sees nothing of ours) and itself. Of the subsystems, only the plug-in loading
# (plugins/) sees the Susie interface.
#
#   include(cmake/Layers.cmake)               checks this tree at configure time
#   cmake -DCAPSLATE_LAYER_ROOT=DIR -P cmake/Layers.cmake   checks another tree (a test fixture)

cmake_policy(SET CMP0057 NEW)  # if(IN_LIST) in script mode too
set(_capslate_our_folders core win host app acquire plugins edit tags output resources pngplugin
    susie)
set(_capslate_subsystems acquire plugins edit tags output)

# The include prefixes of ours that files in `layer` may use.
function(_capslate_allowed_prefixes layer out)
  if(layer STREQUAL "core")
    set(allowed core/)
  elseif(layer STREQUAL "win")
    set(allowed core/ win/)
  elseif(layer STREQUAL "app")
    set(allowed core/ host/Settings.h app/)
  elseif(layer STREQUAL "host")
    set(allowed core/ win/ host/)
  elseif(layer STREQUAL "pngplugin")
    set(allowed core/ win/Handles.h susie/ pngplugin/)
  elseif(layer STREQUAL "susie")
    set(allowed "")
  elseif(layer IN_LIST _capslate_subsystems)
    set(allowed core/ win/ host/ ${layer}/)
    if(layer STREQUAL "plugins")
      list(APPEND allowed susie/)
    endif()
  else()
    set(allowed "")
  endif()
  set(${out} ${allowed} PARENT_SCOPE)
endfunction()

# Fails with the list of offending includes when any file of a checked layer crosses its bounds.
function(capslate_check_layers root)
  set(problems "")
  foreach(layer core win app host ${_capslate_subsystems} pngplugin susie)
    file(GLOB_RECURSE files RELATIVE ${root} ${root}/${layer}/*.h ${root}/${layer}/*.cpp)
    _capslate_allowed_prefixes(${layer} allowed)
    foreach(file IN LISTS files)
      # The main window's own folder may include everything.
      if(file MATCHES "^app/win/")
        continue()
      endif()
      file(STRINGS ${root}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
      foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*)[\">].*" "\\1" included
                             "${line}")
        string(REGEX MATCH "^[^/]+/" top "${included}")
        string(REGEX REPLACE "/$" "" top_folder "${top}")
        if(NOT top_folder IN_LIST _capslate_our_folders)
          continue()
        endif()
        set(ok FALSE)
        foreach(prefix IN LISTS allowed)
          string(FIND "${included}" "${prefix}" at)
          if(at EQUAL 0)
            set(ok TRUE)
          endif()
        endforeach()
        if(included MATCHES "^app/win/")
          set(ok FALSE)
        endif()
        if(NOT ok)
          string(APPEND problems "\n  ${file} includes ${included}")
        endif()
      endforeach()
    endforeach()
  endforeach()
  if(problems)
    message(FATAL_ERROR "Includes that cross the layers (the main window in app/win includes the "
            "subsystems, never the other way; a subsystem includes only core/, win/, host/ and "
            "itself; host/ nothing of app/):${problems}")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  capslate_check_layers(${CAPSLATE_LAYER_ROOT})
else()
  capslate_check_layers(${PROJECT_SOURCE_DIR})
endif()
