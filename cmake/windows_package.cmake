# The package for Windows users: one ZIP with the program, the tool, a short guide in Italian and
# the Notepad++ files for the description texts, under one top folder named like the ZIP itself
# (zelnor-scenario-VERSION-windows-x64). Both executables are linked statically (see the top
# CMakeLists), so unpacking the ZIP anywhere is the whole installation. `make dist` builds it;
# tests/dist_package_test.sh checks it.
#
# Only the Windows build installs anything: the program writes its scenario beside itself, so an
# installation on Linux (into a bin directory of the system) would make no sense.

# The guide is kept in the repository as UTF-8 with LF; Notepad gets it the way the program's
# own texts are written: Windows-1252 with CR LF. iconv fails on a character Windows-1252 lacks.
find_program(SCENARIO_ICONV iconv NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(guide_source ${PROJECT_SOURCE_DIR}/package/LEGGIMI.txt)
set(guide_crlf ${CMAKE_CURRENT_BINARY_DIR}/package/LEGGIMI.utf8-crlf.txt)
set(guide ${CMAKE_CURRENT_BINARY_DIR}/package/LEGGIMI.txt)
configure_file(${guide_source} ${guide_crlf} @ONLY NEWLINE_STYLE CRLF)
add_custom_command(OUTPUT ${guide}
  COMMAND ${SCENARIO_ICONV} -f UTF-8 -t WINDOWS-1252 -o ${guide} ${guide_crlf}
  DEPENDS ${guide_crlf}
  COMMENT "Guide for Windows users in Windows-1252")
add_custom_target(windows-guide ALL DEPENDS ${guide})

install(TARGETS zelnor-scenario scenario-tool RUNTIME DESTINATION .)
install(FILES ${guide} DESTINATION .)

# Notepad++'s files for the two texts are generated from the keyword tables by a program of the
# Linux build (editors/CMakeLists.txt), which this build cannot run; `make dist` builds them
# there and names their folder here. A package without them is not made.
set(SCENARIO_HOST_NOTEPADPP_DIR "" CACHE PATH
    "The Notepad++ files of the Linux build (<build>/editors/notepad++)")
if(SCENARIO_HOST_NOTEPADPP_DIR)
  install(DIRECTORY ${SCENARIO_HOST_NOTEPADPP_DIR}/ DESTINATION notepad++)
else()
  install(CODE "message(FATAL_ERROR \"The Notepad++ files come from the Linux build: configure \
with -DSCENARIO_HOST_NOTEPADPP_DIR=<build>/editors/notepad++, as make dist does\")")
endif()

# `make dist` builds the three pieces itself; cpack should not first build the whole tree with
# the test suite.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR ZIP)
set(CPACK_SOURCE_GENERATOR "")
set(CPACK_PACKAGE_NAME zelnor-scenario)
set(CPACK_PACKAGE_VENDOR zelnor-scenario)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Lo scenario della linea Metrò 2 - Zelnor e scenario-tool per gli autori")
set(CPACK_SYSTEM_NAME windows-x64)
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
