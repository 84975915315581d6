#include "base/scenario_files.h"

namespace scenario {

std::string scenario_file_name(const std::string& nome_linea, const std::string& codice_treno,
                               file_kind kind) {
    const std::string train = nome_linea + "_" + codice_treno;
    switch (kind) {
        case file_kind::line_description:
            return nome_linea + "_linea.txt";
        case file_kind::train_description:
            return train + "-.txt";
        case file_kind::notes:
            return train + "_note.txt";
        case file_kind::slow_order_sheet:
            return train + "_rallentamenti.txt";
        case file_kind::timetable_sheet:
            return train + "_scheda_treno.txt";
        case file_kind::line_geometry:
            return nome_linea + "_linea.dat";
        case file_kind::header_table:
            return train + ".sim";
        case file_kind::cells:
            return train + ".dat";
    }
    return {};
}

std::filesystem::path path_from_utf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::filesystem::path scenario_file(const run_state& state, file_kind kind) {
    return state.scenario_directory() /
           path_from_utf8(scenario_file_name(state.nome_linea, state.codice_treno, kind));
}

}  // namespace scenario
