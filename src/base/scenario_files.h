// The names of every file of one scenario, all in the scenario directory and all formed by plain
// concatenation of the line name, the train code and a fixed ending.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

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

// The fixed ending of a kind's name: "_linea.txt", "-.txt", "_note.txt", ..., ".sim", ".dat".
std::string_view file_ending(file_kind kind);

// Whether a kind's name is the line name and its ending alone (the line's two files), or holds
// the train code too.
bool named_by_line_only(file_kind kind);

// The kind among `kinds` whose ending the name has, the longest ending first ("_linea.dat"
// before ".dat"); nothing when it has none of them.
std::optional<file_kind> kind_by_ending(std::string_view name,
                                        std::initializer_list<file_kind> kinds);

// The file's name without directory, in UTF-8.
std::string scenario_file_name(const std::string& nome_linea, const std::string& codice_treno,
                               file_kind kind);

// The full path: the scenario directory, asked afresh, and the file's name.
std::filesystem::path scenario_file(const run_state& state, file_kind kind);

// A path from UTF-8 text, on every platform (wide names on Windows).
std::filesystem::path path_from_utf8(const std::string& utf8);

}  // namespace scenario
