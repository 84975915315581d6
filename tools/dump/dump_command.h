// `scenario-tool dump`: one binary file in the words of the description texts.
#pragma once

#include "cli/command_line.h"

namespace scenario::tool {

int dump_command(arguments args, streams io);

}  // namespace scenario::tool
