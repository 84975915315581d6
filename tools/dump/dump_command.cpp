// `scenario-tool dump`: reads one binary scenario file, tells its kind from the name's ending,
// decodes it with the output module's readers and prints it. A damaged file is reported with
// the byte offset the reader names, as a compiler-style error line or, with --json, as one JSON
// object; a cell file is also held against the header table beside it. This file also holds
// the geometry's summary, with where the route ends and the run-off past it begins.
#include "dump/dump_command.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "base/positions.h"
#include "base/scenario_files.h"
#include "cli/command_line.h"
#include "dump/dump.h"
#include "output/binary_readers.h"

namespace scenario::tool {
namespace {

enum class binary_kind { geometry, header, cells };

std::string_view kind_name(binary_kind kind) {
    switch (kind) {
        case binary_kind::geometry:
            return "geometria";
        case binary_kind::header:
            return "testata";
        case binary_kind::cells:
            break;
    }
    return "celle";
}

// A file the readers refuse, and the header table it was held against when the fault lies
// between the two.
struct damaged_file {
    std::filesystem::path file;
    read_status status;
    std::optional<std::filesystem::path> header;
};

std::string damage_text(const damaged_file& d) {
    std::string text = display_path(d.file) + ": file danneggiato: " + d.status.describe();
    if (d.header) text += " (testata: " + display_path(*d.header) + ")";
    return text;
}

json damage_json(const damaged_file& d, binary_kind kind) {
    json document;
    document["tipo"] = kind_name(kind);
    document["file"] = display_path(d.file);
    document["danneggiato"] = true;
    document["offset"] = d.status.offset;
    document["message"] = d.status.message;
    document["testata"] = d.header ? json(display_path(*d.header)) : json(nullptr);
    return document;
}

binary_kind kind_of(const std::string& name) {
    const auto kind =
        kind_by_ending(name, {file_kind::line_geometry, file_kind::header_table, file_kind::cells});
    if (kind == file_kind::line_geometry) return binary_kind::geometry;
    if (kind == file_kind::header_table) return binary_kind::header;
    if (kind == file_kind::cells) return binary_kind::cells;
    const auto ending = [](file_kind k) { return "\"" + std::string(file_ending(k)) + "\""; };
    throw usage_error("tipo di file sconosciuto: " + name + " (il nome deve finire con " +
                      ending(file_kind::line_geometry) + ", " + ending(file_kind::header_table) +
                      " o " + ending(file_kind::cells) + ")");
}

bool point_present(const geometria& plan, std::int32_t m) {
    return plan.kind(m, 0) != geometria::tag::empty && plan.kind(m, 1) != geometria::tag::empty;
}

std::string point_text(const geometria& plan, std::int32_t m) {
    if (!point_present(plan, m)) return "vuoto";
    std::string text = "(";
    text += fixed2(plan.value(m, 0));
    text += ", ";
    text += fixed2(plan.value(m, 1));
    text += ')';
    return text;
}

struct plan_summary {
    std::size_t integers = 0, reals = 0, empties = 0;
    std::size_t traced = 0;  // points traced by the line pass: doubles in both coordinates
    std::optional<std::int32_t> last_present;
    double min_x = 0, max_x = 0, min_y = 0, max_y = 0, length = 0;
};

plan_summary summarise(const geometria& plan) {
    plan_summary s;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const geometria::tag t = plan.kind_at(i);
        (t == geometria::tag::integer ? s.integers
         : t == geometria::tag::real  ? s.reals
                                      : s.empties)++;
    }
    for (std::int32_t m = 0; m <= plan.last_metre(); ++m) {
        if (!point_present(plan, m)) continue;
        s.traced += plan.kind(m, 0) == geometria::tag::real;
        const double x = plan.value(m, 0), y = plan.value(m, 1);
        if (!s.last_present) {
            s.min_x = s.max_x = x;
            s.min_y = s.max_y = y;
        } else {
            s.length +=
                std::hypot(x - plan.value(*s.last_present, 0), y - plan.value(*s.last_present, 1));
        }
        s.min_x = std::min(s.min_x, x), s.max_x = std::max(s.max_x, x);
        s.min_y = std::min(s.min_y, y), s.max_y = std::max(s.max_y, y);
        s.last_present = m;
    }
    return s;
}

}  // namespace

std::string fixed2(double value) {
    if (!std::isfinite(value)) return std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf");
    char buffer[64];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    return r.ec == std::errc() ? std::string(buffer, r.ptr) : "?";
}

void dump_geometry_text(const geometria& plan, bool all, std::ostream& out) {
    const plan_summary s = summarise(plan);
    out << "geometria: metri da 0 a " << plan.last_metre() << " (" << plan.size()
        << " elementi: " << s.integers << " interi, " << s.reals << " reali, " << s.empties
        << " vuoti)\n";
    const std::int32_t route = plan.last_metre() - k_run_off;
    out << "percorso: metri da 0 a " << route << ", poi " << k_run_off
        << " m di corsa oltre la fine fino al metro " << plan.last_metre() << '\n';
    if (!s.last_present) {
        out << "nessun punto tracciato: la geometria è tutta vuota (la compilazione si è "
               "fermata prima di seminarla)\n";
    } else {
        out << "punti tracciati: " << s.traced;
        if (s.traced > 0) out << " (metri da 2 a " << *s.last_present << ")";
        out << "\nultimo punto con due coordinate: metro " << *s.last_present << ' '
            << point_text(plan, *s.last_present) << "\nestensione: x (est) da " << fixed2(s.min_x)
            << " a " << fixed2(s.max_x) << " m, y (nord) da " << fixed2(s.min_y) << " a "
            << fixed2(s.max_y) << " m\nlunghezza del tracciato: " << fixed2(s.length) << " m\n";
    }
    out << "\npunti ogni 1000 m:\n";
    for (std::int32_t m = 0; m <= plan.last_metre(); m += 1000) {
        out << "  metro " << m << ": " << point_text(plan, m) << '\n';
    }
    if (!all) return;
    out << "\ntutti i punti:\n";
    for (std::int32_t m = 0; m <= plan.last_metre(); ++m) {
        out << "  metro " << m << ": " << point_text(plan, m) << '\n';
    }
}

json dump_geometry_json(const geometria& plan, bool all) {
    const plan_summary s = summarise(plan);
    json document;
    document["tipo"] = "geometria";
    document["ultimo_metro"] = plan.last_metre();
    document["interi"] = s.integers;
    document["reali"] = s.reals;
    document["vuoti"] = s.empties;
    document["punti_tracciati"] = s.traced;
    document["ultimo_punto"] = value_or_null(s.last_present);
    document["x_min"] = s.min_x;
    document["x_max"] = s.max_x;
    document["y_min"] = s.min_y;
    document["y_max"] = s.max_y;
    document["lunghezza"] = s.length;
    document["fine_percorso"] = plan.last_metre() - k_run_off;
    if (all) {
        json points = json::array();
        for (std::int32_t m = 0; m <= plan.last_metre(); ++m) {
            json point = json::array();
            for (int coord = 0; coord < 2; ++coord) {
                if (plan.kind(m, coord) == geometria::tag::empty)
                    point.push_back(nullptr);
                else
                    point.push_back(plan.value(m, coord));
            }
            points.push_back(std::move(point));
        }
        document["punti"] = std::move(points);
    }
    return document;
}

namespace {

// The header table beside a cell file (same stem, ".sim"), when there is one that reads whole. A
// damaged one is named in a warning and left aside: the cells are then shown without it.
std::optional<testata> header_beside(const std::filesystem::path& beside, streams io) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(beside, ec)) return std::nullopt;
    testata header;
    const read_status status = leggi_testata(read_input_file(beside), header);
    if (status.ok) return header;
    io.err << "scenario-tool: avviso: " << display_path(beside)
           << ": file danneggiato: " << status.describe()
           << "; le celle sono mostrate senza la testata\n";
    return std::nullopt;
}

// Decodes and prints; throws damaged_file before printing anything.
void dump_file(binary_kind kind, const std::filesystem::path& file, bool all, bool as_json,
               streams io) {
    const std::string bytes = read_input_file(file);
    if (kind == binary_kind::geometry) {
        geometria plan;
        if (const read_status s = leggi_geometria(bytes, plan); !s.ok)
            throw damaged_file{file, s, std::nullopt};
        if (as_json)
            write_json(io.out, dump_geometry_json(plan, all));
        else
            dump_geometry_text(plan, all, io.out);
    } else if (kind == binary_kind::header) {
        testata header;
        if (const read_status s = leggi_testata(bytes, header); !s.ok)
            throw damaged_file{file, s, std::nullopt};
        if (as_json)
            write_json(io.out, dump_header_json(header));
        else
            dump_header_text(header, all, io.out);
    } else {
        celle cells;
        if (const read_status s = leggi_celle(bytes, cells); !s.ok)
            throw damaged_file{file, s, std::nullopt};
        // The header table beside the cells names the stations and signs they point to, and its
        // route length gives the number of cells.
        std::filesystem::path beside = file;
        beside.replace_extension(path_from_utf8(std::string(file_ending(file_kind::header_table))));
        const std::optional<testata> header = header_beside(beside, io);
        if (header) {
            const read_status s = verifica_celle_con_testata(cells.size(), *header);
            if (!s.ok) throw damaged_file{file, s, beside};
        }
        if (as_json)
            write_json(io.out, dump_cells_json(cells, header, all));
        else
            dump_cells_text(cells, header, all, io.out);
    }
}

}  // namespace

int dump_command(arguments args, streams io) {
    const parsed_arguments parsed = parse_arguments(args, {}, {"--json", "--all"});
    if (parsed.positional.size() != 1) throw usage_error("dump vuole un solo FILE");
    const std::string& name = parsed.positional.front();
    const binary_kind kind = kind_of(name);
    const std::filesystem::path file = path_argument(name);
    const bool as_json = parsed.has("--json");
    try {
        dump_file(kind, file, parsed.has("--all"), as_json, io);
    } catch (const damaged_file& d) {
        if (!as_json) throw tool_failure(damage_text(d));
        write_json(io.out, damage_json(d, kind));
        return k_exit_failure;
    }
    return k_exit_ok;
}

}  // namespace scenario::tool
