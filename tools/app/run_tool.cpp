// The whole of scenario-tool but the process around it: the usage block, the table of
// subcommands, and the way a failure is reported. main only turns the command line into UTF-8
// words, calls run_tool and ends the process with the status it returns.
#include <array>
#include <cerrno>
#include <exception>
#include <new>
#include <string>

#include "app/compile_command.h"
#include "app/run_tool.h"
#include "cli/usage.h"
#include "decompile/decompile_command.h"
#include "diff/diff_command.h"
#include "dump/dump_command.h"
#include "lsp/lsp_command.h"
#include "platform/platform.h"
#include "plot/plot_command.h"
#include "view/view_command.h"
#include "watch/watch_command.h"

namespace scenario::tool {
namespace {

struct subcommand {
    std::string_view name;
    int (*run)(arguments, streams);
};

constexpr std::array<subcommand, 8> k_subcommands = {{
    {"compile", compile_command},
    {"decompile", decompile_command},
    {"diff", diff_command},
    {"dump", dump_command},
    {"lsp", lsp_command},
    {"plot", plot_command},
    {"view", view_command},
    {"watch", watch_command},
}};

int dispatch(arguments words, streams io) {
    if (words.empty()) throw usage_error("manca il comando");
    const std::string& name = words.front();
    if (name == "help" || name == "--help" || name == "-h") {
        io.out << k_usage;
        return k_exit_ok;
    }
    for (const subcommand& command : k_subcommands) {
        if (command.name == name) return command.run(words.subspan(1), io);
    }
    throw usage_error("comando sconosciuto: " + name);
}

}  // namespace

int run_tool(arguments words, streams io) {
    try {
        errno = 0;
        const int status = dispatch(words, io);
        // A report that did not reach the output is a failure, whatever the command found.
        io.out.flush();
        return io.out ? status : output_failure(io);
    } catch (const usage_error& e) {
        print_error(io.err, e.what());
        io.err << '\n' << k_usage;
    } catch (const tool_failure& e) {
        print_error(io.err, e.what());
    } catch (const platform::file_error& e) {
        print_error(io.err, std::string("operazione su file non riuscita (") + e.what() + ")");
    } catch (const std::bad_alloc&) {
        print_error(io.err, "memoria esaurita");
    } catch (const std::exception& e) {
        print_error(io.err, std::string("errore interno: ") + e.what());
    }
    return k_exit_failure;
}

}  // namespace scenario::tool
