// The binary set of a compile written into its OUTDIR, with the program's own writer.
#include "session/binary_set.h"

#include <system_error>

#include "base/scenario_files.h"
#include "output/binary_files.h"
#include "platform/platform.h"

namespace scenario::tool {

std::vector<std::string> write_binary_set(const compiled_scenario& compiled) {
    const run_state& state = compiled.state;
    if (!compiled.outcome.writes_files()) return {};
    // OUTDIR is made when it is not there yet, with the folders above it.
    std::error_code ec;
    std::filesystem::create_directories(state.scenario_directory(), ec);
    if (ec) {
        throw tool_failure("impossibile creare la cartella " +
                           display_path(state.scenario_directory()) + ": " + ec.message());
    }
    try {
        const platform::directory_lock lock(state.scenario_directory(), platform::k_lock_patience);
        scrivi_file_binari(state, directory_flush::here);
    } catch (const platform::file_error& e) {
        throw tool_failure("scrittura dei file binari non riuscita (" + std::string(e.what()) +
                           ")");
    }
    std::vector<std::string> written;
    if (state.crea_geometria != 0) {
        written.push_back(display_path(scenario_file(state, file_kind::line_geometry)));
    }
    written.push_back(display_path(scenario_file(state, file_kind::header_table)));
    written.push_back(display_path(scenario_file(state, file_kind::cells)));
    return written;
}

}  // namespace scenario::tool
