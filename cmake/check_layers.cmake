# The layer check: cmake -DLAYERS=<build>/layers.txt -P check_layers.cmake
cmake_minimum_required(VERSION 3.25)
# Every line of LAYERS is "folder|directory|used,used,...". A source file may include headers of
# its own folder and of the folders it declares ("folder/file.h"); only src/platform may include
# the operating system's headers; no folders may use each other in a circle. The folders are
# those of src, of tools and the test kit, and the test, benchmark and fuzz folders that only
# use them.
set(system_headers windows.h winsock2.h ws2tcpip.h X11/ unistd.h fcntl.h dlfcn.h poll.h sys/
    netinet/ arpa/)

file(STRINGS ${LAYERS} lines)
set(folders "")
foreach(line IN LISTS lines)
  string(REPLACE "|" ";" fields "${line}|")
  list(GET fields 0 folder)
  list(APPEND folders ${folder})
endforeach()

set(failures "")
foreach(line IN LISTS lines)
  string(REPLACE "|" ";" fields "${line}|")
  list(GET fields 0 folder)
  list(GET fields 1 directory)
  list(GET fields 2 used)
  string(REPLACE "," ";" used "${used}")
  set(allowed ${folder} ${used})
  set(uses_${folder} ${used})
  file(GLOB_RECURSE sources ${directory}/*.h ${directory}/*.cpp)
  foreach(source IN LISTS sources)
    file(STRINGS ${source} includes REGEX "^#include ")
    foreach(include IN LISTS includes)
      if(include MATCHES "^#include \"([a-z_]+)/")
        set(target ${CMAKE_MATCH_1})
        if(target IN_LIST folders AND NOT target IN_LIST allowed)
          string(APPEND failures "${source}: ${folder} does not declare ${target}: ${include}\n")
        endif()
      elseif(include MATCHES "^#include <([^>]+)>" AND NOT folder STREQUAL "platform"
             AND directory MATCHES "/(src|tools)/")
        set(header ${CMAKE_MATCH_1})
        foreach(system IN LISTS system_headers)
          string(FIND "${header}" "${system}" at)
          if(at EQUAL 0)
            string(APPEND failures
                   "${source}: only src/platform talks to the operating system: ${include}\n")
          endif()
        endforeach()
      endif()
    endforeach()
  endforeach()
endforeach()

# Circles among the folders: a depth-first walk from each folder over what it uses.
foreach(start IN LISTS folders)
  set(stack ${uses_${start}})
  set(seen "")
  while(stack)
    list(POP_BACK stack current)
    if(current STREQUAL start)
      string(APPEND failures "the folders use each other in a circle through ${start}\n")
      break()
    endif()
    if(NOT current IN_LIST seen)
      list(APPEND seen ${current})
      list(APPEND stack ${uses_${current}})
    endif()
  endwhile()
endforeach()

if(failures)
  message(FATAL_ERROR "layer check failed:\n${failures}")
endif()
message(STATUS "layer check: every folder includes only what it declares, and no circle")
