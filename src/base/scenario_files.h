// The names of every file of one scenario, all in the scenario directory and all formed by plain
// concatenation of the line name, the train code and a fixed ending.
#pragma once

#include <filesystem>
#include <string>

#include "base/records.h"

namespace scenario {

enum class file_kind {
    line_description,   // nome_linea + "_linea.txt"
    train_description,  // nome_linea + "_" + codice_treno + "-.txt"
    notes,              // nome_linea + "_" + codice_treno + "_note.txt"
    slow_order_sheet,   // nome_linea + "_" + codice_treno + "_rallentamenti.txt"
    timetable_sheet,    // nome_linea + "_" + codice_treno + "_scheda_treno.txt"
    line_geometry,      // nome_linea + "_linea.dat"
    header_table,       // nome_linea + "_" + codice_treno + ".sim"
    cells,              // nome_linea + "_" + codice_treno + ".dat"
};

// The file's name without directory, in UTF-8.
std::string scenario_file_name(const std::string& nome_linea, const std::string& codice_treno,
                               file_kind kind);

// The full path: the scenario directory, asked afresh, and the file's name.
std::filesystem::path scenario_file(const run_state& state, file_kind kind);

// A path from UTF-8 text, on every platform (wide names on Windows).
std::filesystem::path path_from_utf8(const std::string& utf8);

}  // namespace scenario
