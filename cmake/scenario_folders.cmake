# Each folder of the tree is a unit that declares the folders it uses. scenario_folder() makes a
# src folder a static library that links exactly those; scenario_uses() records what a folder
# outside src (the tool, the tests, the benchmarks, the fuzzers) may include. The declarations go
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

# Writes the declarations for the layer check.
function(scenario_write_layers file)
  get_property(layers GLOBAL PROPERTY scenario_layers)
  string(REPLACE ";" "\n" text "${layers}")
  file(WRITE ${file} "${text}\n")
endfunction()
