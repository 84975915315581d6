# Each folder of the tree is a unit that declares the folders it uses. scenario_folder() makes a
# src folder a static library that links exactly those, tool_folder() does the same for a folder
# of tools/; scenario_uses() records what any other folder (the tests, the benchmarks, the
# fuzzers, the test kit) may include. The declarations go
# to layers.txt in the build tree, which the layer check (check_layers.cmake) reads: a folder that
# includes a header of a folder it has not declared, or folders that use each other in a circle,
# fail the test suite.
set_property(GLOBAL PROPERTY scenario_layers "")

function(scenario_uses folder directory)
  string(REPLACE ";" "," uses "${ARGN}")
  set_property(GLOBAL APPEND PROPERTY scenario_layers "${folder}|${directory}|${uses}")
endfunction()

# scenario_folder(NAME SOURCES file... [USES folder...]): the library scenario_NAME from src/NAME.
function(scenario_folder name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;USES")
  list(TRANSFORM arg_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/src/${name}/)
  add_library(scenario_${name} STATIC ${arg_SOURCES})
  target_include_directories(scenario_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  foreach(used IN LISTS arg_USES)
    target_link_libraries(scenario_${name} PUBLIC scenario_${used})
  endforeach()
  scenario_uses(${name} ${PROJECT_SOURCE_DIR}/src/${name} ${arg_USES})
endfunction()

# tool_folder(NAME SOURCES file... [USES folder...]): the library scenario_tool_NAME from
# tools/NAME. A used folder is a tool folder when one of that name was made before, else a src
# folder; tool headers are included as "NAME/file.h", like the src ones.
function(tool_folder name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;USES")
  set(sources)
  foreach(source IN LISTS arg_SOURCES)
    if(IS_ABSOLUTE ${source})
      list(APPEND sources ${source})
    else()
      list(APPEND sources ${PROJECT_SOURCE_DIR}/tools/${name}/${source})
    endif()
  endforeach()
  add_library(scenario_tool_${name} STATIC ${sources})
  target_include_directories(scenario_tool_${name} PUBLIC ${PROJECT_SOURCE_DIR}/tools)
  foreach(used IN LISTS arg_USES)
    if(TARGET scenario_tool_${used})
      target_link_libraries(scenario_tool_${name} PUBLIC scenario_tool_${used})
    else()
      target_link_libraries(scenario_tool_${name} PUBLIC scenario_${used})
    endif()
  endforeach()
  scenario_uses(${name} ${PROJECT_SOURCE_DIR}/tools/${name} ${arg_USES})
endfunction()

# Writes the declarations for the layer check.
function(scenario_write_layers file)
  get_property(layers GLOBAL PROPERTY scenario_layers)
  string(REPLACE ";" "\n" text "${layers}")
  file(WRITE ${file} "${text}\n")
endfunction()
