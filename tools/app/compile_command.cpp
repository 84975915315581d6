// `scenario-tool compile`: compiles an author's two description texts with the program's own
// compile steps, checks both texts through to their ends, prints every fault and warning where
// the author wrote it, and writes the binary set. The author's files are only read.
#include "app/compile_command.h"
#include "session/binary_set.h"
#include "session/compile_session.h"
#include "cli/json.h"

namespace scenario::tool {

int compile_command(arguments args, streams io) {
    parsed_arguments parsed;
    scenario_request request =
        parse_scenario_request(args, "compile", {}, {"--no-geometry", "--json"}, parsed);
    request.geometry = !parsed.has("--no-geometry");
    const std::unique_ptr<compiled_scenario> compiled = compile_scenario_texts(request);
    const std::vector<std::string> files = write_binary_set(*compiled);
    if (parsed.has("--json")) {
        write_json(io.out, compile_report_json(compiled->report, files));
    } else {
        print_compile_report(compiled->report, files, io);
    }
    return compiled->status();
}

}  // namespace scenario::tool
