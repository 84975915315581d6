// The whole of scenario-tool but the process around it.
#pragma once

#include "cli/command_line.h"

namespace scenario::tool {

// The tool on the words of a command line after the program's name: runs the subcommand they
// name, reports any failure on io.err ("scenario-tool: errore: ..."), and returns the exit
// status. A report that did not reach io.out is a failure too.
int run_tool(arguments words, streams io);

}  // namespace scenario::tool
