// `scenario-tool diff`: two compiled sets of the same scenario compared in the author's terms.
#pragma once

#include "cli/command_line.h"

namespace scenario::tool {

int diff_command(arguments args, streams io);

}  // namespace scenario::tool
