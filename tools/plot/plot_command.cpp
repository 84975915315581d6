// `scenario-tool plot`: reads the three binary files of a compiled scenario and writes one SVG
// picture of the line (plan above, profile below), of the whole line or of the stretch between
// --from and --to (kilometres). The geometry file is optional: a line compiled without geometry
// still gets its profile.
#include "plot/plot_command.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <system_error>

#include "base/scenario_files.h"
#include "base/windows1252.h"
#include "cli/command_line.h"
#include "output/binary_readers.h"
#include "platform/platform.h"
#include "plot/plot.h"

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

// Kilometres as an author writes them, "12", "12.5" or "12,5", in metres. A leading minus is
// read, so that the message can say the value is negative.
double kilometres(const std::string& option, const std::string& word) {
    std::string text = word;
    std::size_t digits = 0, separators = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ',' || c == '.') {
            text[i] = '.';
            ++separators;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            ++digits;
        } else if (!(c == '-' && i == 0)) {
            digits = 0;
            break;
        }
    }
    double km = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, ec] = std::from_chars(first, last, km, std::chars_format::fixed);
    if (digits == 0 || separators > 1 || ec != std::errc() || end != last) {
        throw usage_error(option + " vuole i chilometri come numero, per esempio 12,5: \"" + word +
                          "\"");
    }
    if (km < 0) throw usage_error(option + " non può essere negativo: " + word);
    return km * 1000;
}

std::string km_words(double metres) { return km_text(metres, 3) + " km"; }

}  // namespace

double line_end(const line_model& model) {
    return std::max<double>(k_cell_metres,
                            std::min(model.route_length + k_run_off, model.cells_end));
}

plot_window whole_line(const line_model& model) {
    plot_window w;
    w.to = std::max<double>(k_cell_metres, model.route_length);
    w.squeezed_to = line_end(model);
    return w;
}

namespace {

// The stretch to draw: the whole line, or what --from and --to ask for, checked against the line.
plot_window window_of(const parsed_arguments& parsed, const line_model& model) {
    plot_window window = whole_line(model);
    const bool has_from = parsed.values.count("--from") != 0;
    const bool has_to = parsed.values.count("--to") != 0;
    if (!has_from && !has_to) return window;
    const double from = has_from ? kilometres("--from", parsed.values.at("--from")) : 0;
    const double to = has_to ? kilometres("--to", parsed.values.at("--to")) : 0;
    const double route = model.route_length, end = line_end(model);
    const std::string line_words = " la fine della linea (" + km_words(end) + ": " +
                                   km_words(route) + " di percorso e " + km_words(end - route) +
                                   " dopo la fine)";
    if (has_from && from >= end)
        throw usage_error("--from " + km_words(from) + " è oltre" + line_words);
    if (has_to && to > end) throw usage_error("--to " + km_words(to) + " è oltre" + line_words);
    if (has_to && from >= to) {
        throw usage_error(has_from ? "--from (" + km_words(from) +
                                         ") deve essere minore di --to (" + km_words(to) + ")"
                                   : "--to deve essere maggiore di 0 km");
    }
    window.from = from;
    if (has_to) {
        window.to = window.squeezed_to = to;
    } else if (from >= route) {
        window.to = window.squeezed_to = end;
    }
    return window;
}

bool whole(const plot_window& window, const line_model& model) {
    const plot_window all = whole_line(model);
    return window.from == all.from && window.to == all.to && window.squeezed_to == all.squeezed_to;
}

}  // namespace

int plot_command(arguments args, streams io) {
    const parsed_arguments parsed =
        parse_arguments(args, {"--line", "--train", "-o", "--from", "--to"}, {});
    if (parsed.positional.size() != 1) throw usage_error("plot vuole una sola cartella DIR");
    for (const char* option : {"--from", "--to"}) {
        if (parsed.values.count(option) != 0) kilometres(option, parsed.values.at(option));
    }
    const std::filesystem::path dir = path_argument(parsed.positional.front());
    const std::filesystem::path output = path_argument(parsed.required("-o"));
    const plot_data data = load(dir, parsed.required("--line"), parsed.required("--train"));
    const line_model model =
        read_line_model({data.cells, &data.header, data.plan ? &*data.plan : nullptr});
    const plot_window window = window_of(parsed, model);

    plot_canvas canvas(k_plot_width, k_plot_height);
    canvas.begin_panel({0, 0, k_plot_width, 40});
    const std::string title = whole(window, model)
                                  ? data.title
                                  : data.title + ", da km " + km_text(window.from, 3) + " a km " +
                                        km_text(window.end(), 3);
    canvas.text(k_plot_width / 2, 26, title, 18, text_anchor::middle, "", true);
    draw_plan(canvas, model, window, 40, 600);
    draw_profile(canvas, model, window, 610, k_plot_height - 8);
    try {
        platform::write_output_file(output, canvas.svg.finish());
    } catch (const platform::file_error& e) {
        throw tool_failure("scrittura del disegno non riuscita (" + std::string(e.what()) + ")");
    }
    io.out << "scritto: " << display_path(output) << '\n';
    return k_exit_ok;
}

}  // namespace scenario::tool
