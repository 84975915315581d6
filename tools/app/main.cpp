// scenario-tool: compiles description texts of any scenario with the program's own compiler and
// clear diagnostics, shows what the binary files hold, and draws the line. The tool itself is
// the library behind run_tool; this file only hands it the command line and the standard
// streams, and is the only place that ends the process.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "app/run_tool.h"

namespace {

// Before anything else, even the copy of the arguments.
void prepare() {
    scenario::platform::prepare_process(
        [] { scenario::platform::give_up("scenario-tool: errore: memoria esaurita"); });
}

int run_process(const std::vector<std::string>& words) {
    const scenario::tool::streams io{std::cout, std::cerr};
    const int status = scenario::tool::run_tool(words, io);
    // std::cout writes through C's stdout: whatever it still holds must reach the device too.
    if (status == scenario::k_exit_failure ||
        (std::fflush(stdout) == 0 && !std::ferror(stdout))) {
        return status;
    }
    return scenario::tool::output_failure(io);
}

}  // namespace

#ifdef _WIN32
// Wide arguments, so that names such as "Metrò 2 - Zelnor" arrive whole; the tool works in UTF-8.
int wmain(int argc, wchar_t** argv) {
    prepare();
    std::vector<std::string> words;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::u8string word = std::filesystem::path(argv[i]).u8string();
            words.emplace_back(word.begin(), word.end());
        }
    } catch (const std::exception&) {
        scenario::tool::print_error(std::cerr, "argomento non convertibile in UTF-8");
        return scenario::k_exit_failure;
    }
    return run_process(words);
}
#else
int main(int argc, char** argv) {
    prepare();
    return run_process(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
