// `scenario-tool plot`: one SVG of the line from the binary files.
#pragma once

#include "cli/command_line.h"

namespace scenario::tool {

int plot_command(arguments args, streams io);

}  // namespace scenario::tool
