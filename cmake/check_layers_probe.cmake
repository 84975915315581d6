# Proves the layer check on the real declarations: a copy of the tool's model folder gets one
# include of a folder above it (view), then is declared as using view, which closes a circle.
# The check must refuse both. cmake -DLAYERS=<build>/layers.txt -DPROBE=<scratch folder>
#   -DCHECK=<source>/cmake/check_layers.cmake -P check_layers_probe.cmake
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE ${PROBE})
file(STRINGS ${LAYERS} lines)
set(model_line "")
foreach(line IN LISTS lines)
  if(line MATCHES "^model\\|([^|]*)\\|(.*)$")
    set(model_line "${line}")
    set(model_directory "${CMAKE_MATCH_1}")
    set(model_uses "${CMAKE_MATCH_2}")
  endif()
endforeach()
if(NOT model_line)
  message(FATAL_ERROR "layers.txt declares no tool folder named model")
endif()
file(COPY ${model_directory}/ DESTINATION ${PROBE}/model)
file(WRITE ${PROBE}/model/upward_probe.cpp "#include \"view/view_page.h\"\n")

# Runs the check with model's line replaced; `expected` must appear in what it says.
function(expect_refusal model_replacement expected)
  set(probe_lines "")
  foreach(line IN LISTS lines)
    if(line STREQUAL model_line)
      list(APPEND probe_lines "${model_replacement}")
    else()
      list(APPEND probe_lines "${line}")
    endif()
  endforeach()
  string(REPLACE ";" "\n" text "${probe_lines}")
  file(WRITE ${PROBE}/layers.txt "${text}\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DLAYERS=${PROBE}/layers.txt -P ${CHECK}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(result EQUAL 0)
    message(FATAL_ERROR "the layer check let through: ${expected}")
  endif()
  # CMake wraps the lines of an error message: compare without the blanks.
  string(REGEX REPLACE "[ \t\r\n]+" "" said "${out}${err}")
  string(REGEX REPLACE "[ \t\r\n]+" "" wanted "${expected}")
  string(FIND "${said}" "${wanted}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the layer check failed, but not on \"${expected}\":\n${out}${err}")
  endif()
endfunction()

expect_refusal("model|${PROBE}/model|${model_uses}"
               "upward_probe.cpp: model does not declare view")
expect_refusal("model|${PROBE}/model|${model_uses},view"
               "the folders use each other in a circle through model")
file(REMOVE_RECURSE ${PROBE})
message(STATUS "layer check probe: an upward include and a circle among the tool's folders are refused")
