// Shared pieces of scenario-tool, the companion program for scenario authors: the three
// subcommands, the way they fail, and the small argument parser they share. The subcommands
// return the exit status; only main ends the process.
#pragma once

#include <filesystem>
#include <map>
#include <ostream>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace scenario::tool {

// Exit statuses of the tool.
inline constexpr int k_status_ok = 0;
inline constexpr int k_status_fault = 1;     // a compile fault was recorded
inline constexpr int k_status_identity = 2;  // 1250 or 1251: no binary file written
inline constexpr int k_status_failure = 3;   // usage, file or damaged-file error

// A command line the tool cannot run: main prints the message and the usage block.
class usage_error : public std::runtime_error {
   public:
    using std::runtime_error::runtime_error;
};

// A file the tool cannot read, write or make sense of: main prints the message.
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

int compile_command(arguments args, streams io);
int dump_command(arguments args, streams io);
int plot_command(arguments args, streams io);

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
// alone; any other word beginning with "--" (or a lone "-x") is a usage error.
parsed_arguments parse_arguments(arguments args, const std::set<std::string>& valued,
                                 const std::set<std::string>& bare);

// A path from a command-line word (UTF-8), and a path as UTF-8 text for messages.
std::filesystem::path path_argument(const std::string& utf8);
std::string display_path(const std::filesystem::path& p);

// The whole content of a file, or tool_failure with the system's reason.
std::string read_input_file(const std::filesystem::path& file);

}  // namespace scenario::tool
