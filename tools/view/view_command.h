// `scenario-tool view`: compiles as compile does and writes the page of the line.
#pragma once

#include "cli/command_line.h"

namespace scenario::tool {

int view_command(arguments args, streams io);

}  // namespace scenario::tool
