// `scenario-tool decompile`: the three binary files of a scenario back to its description texts.
#pragma once

#include "cli/command_line.h"

namespace scenario::tool {

int decompile_command(arguments args, streams io);

}  // namespace scenario::tool
