// The command line of scenario-tool, shared by every subcommand: the streams a subcommand writes
// to, the two ways it fails (a command line it cannot run, a file it cannot handle), the small
// argument parser, and paths from and to UTF-8 words. A subcommand returns its exit status
// (base/exit_status.h) and writes only to the streams it is given; only main ends the process.
#pragma once

#include <filesystem>
#include <map>
#include <ostream>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/exit_status.h"

namespace scenario::tool {

// A command line the tool cannot run: run_tool prints the message and the usage block.
class usage_error : public std::runtime_error {
   public:
    using std::runtime_error::runtime_error;
};

// A file the tool cannot read, write or make sense of: run_tool prints the message.
class tool_failure : public std::runtime_error {
   public:
    using std::runtime_error::runtime_error;
};

struct streams {
    std::ostream& out;
    std::ostream& err;
};

// The arguments after the subcommand's name, all UTF-8.
using arguments = std::span<const std::string>;

// "scenario-tool: errore: MESSAGE" on a line of its own.
void print_error(std::ostream& err, std::string_view message);

// Reports that the output could not be written, with the system's reason in errno if there is
// one, and returns k_exit_failure.
int output_failure(streams io);

// A command line split into positional words, options with a value and bare flags.
struct parsed_arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;

    bool has(const std::string& flag) const { return flags.count(flag) != 0; }
    // The option's value; throws usage_error when it is missing.
    const std::string& required(const std::string& option) const;
};

// Splits args: names in `valued` take the next word as their value, names in `bare` stand
// alone; any other word beginning with "--" (or a lone "-x") is a usage error. The older
// spellings --da, --a, --porta and --compilazioni are taken for --from, --to, --port and
// --compiles, and the parsed options are filed under those names.
parsed_arguments parse_arguments(arguments args, const std::set<std::string>& valued,
                                 const std::set<std::string>& bare);

// A path from a command-line word (UTF-8), and a path as UTF-8 text for messages.
std::filesystem::path path_argument(const std::string& utf8);
std::string display_path(const std::filesystem::path& p);

// The whole content of a file, or tool_failure with the system's reason.
std::string read_input_file(const std::filesystem::path& file);

}  // namespace scenario::tool
