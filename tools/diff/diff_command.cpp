// `scenario-tool diff A B --line NAME --train CODE`: reads the binary set of each folder (the
// geometry only when there is one), checks each file as dump does, reads both into the line
// model and reports what differs. The exit status says whether anything does, so that a script
// can ask whether a change to the texts changed the compiled line.
#include "diff/diff_command.h"

#include <optional>

#include "base/scenario_files.h"
#include "diff/line_diff.h"
#include "model/line_model.h"
#include "output/binary_readers.h"

namespace scenario::tool {
namespace {

// A file the readers refuse; the header table it was held against when the fault lies between
// the two.
struct damaged_file {
    std::string_view kind;  // "testata", "celle", "geometria", as dump names them
    std::filesystem::path file;
    read_status status;
    std::optional<std::filesystem::path> header;
};

// The three tables of one folder. The line model refers to them, so they stay where they are.
struct binary_set {
    testata header;
    celle cells;
    std::optional<geometria> plan;  // absent when the set was compiled without geometry
};

template <typename Record>
void read_table(std::string_view kind, const std::filesystem::path& file, Record& record,
                read_status (*reader)(std::string_view, Record&)) {
    if (const read_status status = reader(read_input_file(file), record); !status.ok) {
        throw damaged_file{kind, file, status, std::nullopt};
    }
}

void read_set(const std::filesystem::path& dir, const std::string& line, const std::string& train,
              binary_set& set) {
    const auto file = [&](file_kind kind) {
        return dir / path_argument(scenario_file_name(line, train, kind));
    };
    const std::filesystem::path header = file(file_kind::header_table);
    const std::filesystem::path cells = file(file_kind::cells);
    read_table("testata", header, set.header, leggi_testata);
    read_table("celle", cells, set.cells, leggi_celle);
    if (const read_status s = verifica_celle_con_testata(set.cells.size(), set.header); !s.ok) {
        throw damaged_file{"celle", cells, s, header};
    }
    const std::filesystem::path geometry = file(file_kind::line_geometry);
    std::error_code ec;
    if (std::filesystem::exists(geometry, ec)) {
        set.plan.emplace();
        read_table("geometria", geometry, *set.plan, leggi_geometria);
    }
}

std::string damage_text(const damaged_file& d) {
    std::string text = display_path(d.file) + ": file danneggiato: " + d.status.describe();
    if (d.header) text += " (testata: " + display_path(*d.header) + ")";
    return text;
}

json damage_json(const damaged_file& d) {
    return damaged_file_json(d.kind, display_path(d.file), d.status.offset, d.status.message,
                       d.header ? std::optional(display_path(*d.header)) : std::nullopt);
}

line_model model_of(const binary_set& set) {
    return read_line_model({set.cells, &set.header, set.plan ? &*set.plan : nullptr, nullptr});
}

}  // namespace

int diff_command(arguments args, streams io) {
    const parsed_arguments parsed =
        parse_arguments(args, {"--line", "--train", "--line-b", "--train-b"}, {"--json"});
    if (parsed.positional.size() != 2) throw usage_error("diff vuole due cartelle, A e B");
    const std::string& line = parsed.required("--line");
    const std::string& train = parsed.required("--train");
    const auto value_or = [&](const std::string& option, const std::string& otherwise) {
        const auto found = parsed.values.find(option);
        return found == parsed.values.end() ? otherwise : found->second;
    };
    const bool as_json = parsed.has("--json");
    binary_set a, b;
    try {
        read_set(path_argument(parsed.positional[0]), line, train, a);
        read_set(path_argument(parsed.positional[1]), value_or("--line-b", line),
                 value_or("--train-b", train), b);
    } catch (const damaged_file& d) {
        if (!as_json) throw tool_failure(damage_text(d));
        write_json(io.out, damage_json(d));
        return k_exit_failure;
    }
    const line_diff diff = compare_lines(model_of(a), model_of(b));
    if (as_json) {
        write_json(io.out, diff_json(diff));
    } else {
        diff_text(diff, io.out);
    }
    return diff.any() ? k_exit_differs : k_exit_ok;
}

}  // namespace scenario::tool
