// `scenario-tool view`: compiles an author's texts as `compile` does and writes one page that
// draws the line (plan and profile, linked), with every feature's record and the diagnostics
// beside it. The page is written even when the compile recorded a fault, so the author sees
// where; the binary set only when --out asks for it.
#include "view/view_command.h"

#include <ostream>

#include "base/scenario_files.h"
#include "platform/platform.h"
#include "session/binary_set.h"
#include "session/compile_session.h"
#include "view/view_data.h"
#include "view/view_page.h"

namespace scenario::tool {
namespace {

// NAME_CODE.html in DIR, beside the texts it draws.
std::filesystem::path default_page(const scenario_request& request) {
    return request.dir / path_argument(request.line + "_" + request.train + ".html");
}

}  // namespace

int view_command(arguments args, streams io) {
    parsed_arguments parsed;
    const scenario_request request = parse_scenario_request(args, "view", {"-o"}, {}, parsed);
    const auto chosen = parsed.values.find("-o");
    const std::filesystem::path page_file =
        chosen == parsed.values.end() ? default_page(request) : path_argument(chosen->second);
    const std::unique_ptr<compiled_scenario> compiled = compile_scenario_texts(request);
    const std::vector<std::string> files = parsed.values.count("--out") != 0
                                               ? write_binary_set(*compiled)
                                               : std::vector<std::string>{};
    const std::string page = view_page_html(view_data_json(*compiled), false);
    try {
        platform::write_output_file(page_file, page);
    } catch (const platform::file_error& e) {
        throw tool_failure("scrittura della pagina non riuscita (" + std::string(e.what()) + ")");
    }
    print_compile_report(compiled->report, files, io);
    io.out << "scritto: " << display_path(page_file) << '\n';
    return compiled->status();
}

}  // namespace scenario::tool
