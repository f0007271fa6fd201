# Fails when a source file includes a header from its own floor's neighbours or from a higher
# floor: dependencies point down only. Run as: cmake -DSOURCE_DIR=<checkout> -P layering_check.cmake
# Each folder's floor; a folder may include its own headers and those of lower floors.
set(floors
  "draw/base=0" "draw/raster=0"
  "draw/surface=1"
  "draw/curves=2" "draw/stars=2" "draw/gradient=2"
  "draw/pattern=3"
  "draw/output=4"
  "app/widgets=5"
  "app/output=6" "app/messages=6"
  "app/registry=7" "app/canvas=7" "app/favourites=7" "app/screensaver=7" "app/fullscreen=8"
  "app/mainwindow=9" "app/geometric=9" "app/picker=9"
  "app=10")

function(floor_of folder out)
  foreach(entry ${floors})
    string(REPLACE "=" ";" pair "${entry}")
    list(GET pair 0 name)
    list(GET pair 1 level)
    if(folder STREQUAL name)
      set(${out} ${level} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/app/*.h ${SOURCE_DIR}/app/*.cpp
     ${SOURCE_DIR}/draw/*.h ${SOURCE_DIR}/draw/*.cpp)
set(problems "")
foreach(source ${sources})
  get_filename_component(folder ${source} DIRECTORY)
  floor_of(${folder} own)
  if(own STREQUAL "")
    string(APPEND problems "  ${folder}/ has no floor (add it to the list)\n")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^#include \"(app|draw)/")
  foreach(line ${includes})
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${line}")
    get_filename_component(target ${header} DIRECTORY)
    if(target STREQUAL folder)
      continue()
    endif()
    floor_of(${target} theirs)
    if(theirs STREQUAL "" OR NOT theirs LESS own)
      string(APPEND problems "  ${source} includes ${header}\n")
    endif()
  endforeach()
endforeach()
if(problems)
  message(FATAL_ERROR "Includes that do not point down:\n${problems}")
endif()
list(LENGTH sources count)
message(STATUS "layering: ${count} files include only their own folder and lower floors")
