// `scenario-tool plot`: reads the three binary files of a compiled scenario and writes one SVG
// picture of the line (plan above, profile below). The geometry file is optional: a line
// compiled without geometry still gets its profile.
#include <system_error>

#include "output/binary_readers.h"
#include "base/windows1252.h"
#include "platform/platform.h"
#include "plot.h"
#include "base/scenario_files.h"
#include "tool.h"

namespace scenario::tool {
namespace {

template <typename Record>
Record read_record(const std::filesystem::path& file,
                   read_status (*reader)(std::string_view, Record&)) {
    Record record;
    const read_status status = reader(read_input_file(file), record);
    if (!status.ok) {
        throw tool_failure(display_path(file) + ": file danneggiato: " + status.describe());
    }
    return record;
}

plot_data load(const std::filesystem::path& dir, const std::string& line,
               const std::string& train) {
    const auto file = [&](file_kind kind) {
        return dir / path_argument(scenario_file_name(line, train, kind));
    };
    plot_data data;
    data.header = read_record<testata>(file(file_kind::header_table), leggi_testata);
    data.cells = read_record<celle>(file(file_kind::cells), leggi_celle);
    std::error_code ec;
    if (std::filesystem::exists(file(file_kind::line_geometry), ec)) {
        data.plan = read_record<geometria>(file(file_kind::line_geometry), leggi_geometria);
    }
    data.title = line + " \u2014 treno " + train;
    return data;
}

}  // namespace

int plot_command(arguments args, streams io) {
    const parsed_arguments parsed = parse_arguments(args, {"--line", "--train", "-o"}, {});
    if (parsed.positional.size() != 1) throw usage_error("plot vuole una sola cartella DIR");
    const std::filesystem::path dir = path_argument(parsed.positional.front());
    const plot_data data = load(dir, parsed.required("--line"), parsed.required("--train"));
    const std::filesystem::path output = path_argument(parsed.required("-o"));

    svg_writer svg(k_plot_width, k_plot_height);
    svg.text(k_plot_width / 2, 26, data.title,
             "text-anchor=\"middle\" font-size=\"18\" font-weight=\"bold\"");
    draw_plan(svg, data, 40, 860);
    draw_profile(svg, data, 870, k_plot_height - 10);
    try {
        platform::write_output_file(output, svg.finish());
    } catch (const platform::file_error& e) {
        throw tool_failure("scrittura del disegno non riuscita (" + std::string(e.what()) + ")");
    }
    io.out << "scritto: " << display_path(output) << '\n';
    return k_status_ok;
}

}  // namespace scenario::tool
