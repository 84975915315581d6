// `scenario-tool compile`: compiles an author's texts, reports every fault and warning, writes
// the binary set.
#pragma once

#include "cli/command_line.h"

namespace scenario::tool {

int compile_command(arguments args, streams io);

}  // namespace scenario::tool
