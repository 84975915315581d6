#include "base/scenario_files.h"

namespace scenario {

std::string_view file_ending(file_kind kind) {
    switch (kind) {
        case file_kind::line_description:
            return "_linea.txt";
        case file_kind::train_description:
            return "-.txt";
        case file_kind::notes:
            return "_note.txt";
        case file_kind::slow_order_sheet:
            return "_rallentamenti.txt";
        case file_kind::timetable_sheet:
            return "_scheda_treno.txt";
        case file_kind::line_geometry:
            return "_linea.dat";
        case file_kind::header_table:
            return ".sim";
        case file_kind::cells:
            return ".dat";
    }
    return {};
}

bool named_by_line_only(file_kind kind) {
    return kind == file_kind::line_description || kind == file_kind::line_geometry;
}

std::optional<file_kind> kind_by_ending(std::string_view name,
                                        std::initializer_list<file_kind> kinds) {
    std::optional<file_kind> found;
    for (const file_kind kind : kinds) {
        const std::string_view ending = file_ending(kind);
        if (name.ends_with(ending) && (!found || ending.size() > file_ending(*found).size())) {
            found = kind;
        }
    }
    return found;
}

std::string scenario_file_name(const std::string& nome_linea, const std::string& codice_treno,
                               file_kind kind) {
    std::string name = nome_linea;
    if (!named_by_line_only(kind)) name += "_" + codice_treno;
    return name += file_ending(kind);
}

std::filesystem::path path_from_utf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::filesystem::path scenario_file(const run_state& state, file_kind kind) {
    return state.scenario_directory() /
           path_from_utf8(scenario_file_name(state.nome_linea, state.codice_treno, kind));
}

}  // namespace scenario
