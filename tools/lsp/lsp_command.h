// `scenario-tool lsp`: the language server over standard input and output, for the editors that
// speak the protocol. The loop around language_server: a thread reads the frames as they come,
// the main thread answers them in order and compiles once the changes have settled.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "cli/command_line.h"
#include "lsp/language_server.h"

namespace scenario::tool {

int lsp_command(arguments args, streams io);

// Where the loop's bytes come from and go to: `read` waits for some and returns how many (0 at
// the end of the input); `write` sends all of them, false when it cannot.
struct server_channel {
    std::function<std::size_t(char*, std::size_t)> read;
    std::function<bool(std::string_view)> write;
};

// Serves until `exit` or the end of the input; the status the protocol asks for (0 after a
// `shutdown`, 1 otherwise; 3 when the output failed or the input could not be read).
int serve_language(server_channel channel, language_server::options settings,
                   std::ostream& log);

}  // namespace scenario::tool
