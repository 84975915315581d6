// `scenario-tool watch`: compiles at each save of either text and serves the live page; runs until
// interrupted (or for --compiles rounds) and returns the last compile's status.
#pragma once

#include "cli/command_line.h"

namespace scenario::tool {

int watch_command(arguments args, streams io);

}  // namespace scenario::tool
