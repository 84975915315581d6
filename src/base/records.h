// The compiled scenario: header table, track cells, plan geometry and the run state that the
// writers, the compiler, the passes and the output share for the length of one run.
//
// Every text held inside the compiled records (`voce::v_nome`, `voce_letta`) is stored as
// Windows-1252 bytes, exactly as it is written to the binary files. The two scenario names in
// the run state (`nome_linea`, `codice_treno`) are UTF-8: they also name files.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/geometria.h"

namespace scenario {

// The kinds of cell. `cella::tipo_cella` keeps the byte of the file, which may hold a value
// that is none of these (a damaged file): compare and convert with kind_of and byte_of. The
// names, phrases and the meaning of the values of each kind are in base/cell_kinds.h.
enum class cell_kind : std::uint8_t {
    plain = 0,
    signal = 1,
    slow_order_end = 2,
    slow_order_start = 3,
    slow_order_warning = 4,
    slow_order_approach = 5,
    speed_board = 6,
    station_stop = 10,
    scenery_mark = 11,
    value_mark = 12,        // val1 holds the value
    empty_value_mark = 13,  // a non-positive "abbattimento"
    information_sign = 14,
};

// The byte of a kind in `tipo_cella`.
constexpr std::uint8_t byte_of(cell_kind kind) { return static_cast<std::uint8_t>(kind); }

// One 50-metre stretch of track. A point feature at position p (metres) lies in cell
// nearest(p / 50 + 1); the fills that run along the track start at cell nearest(p / 50)
// (point_cell and fill_cell of base/positions.h).
struct cella {
    std::uint8_t tipo_cella = 0;  // the byte of a cell_kind
    std::int16_t val1 = 0;
    std::int16_t val2 = 0;
    std::int16_t val3 = 0;
    std::int16_t val4 = 0;
    std::uint8_t tempo_segnale = 0;
    std::uint8_t preavviso = 0;  // approach mark on a cell of any kind: (sx × 3 + dx) × 10 + 1..4
                                 // on every other cell before a signal, 81..84 before a stop
    std::uint8_t sfondo = 0;
    std::uint8_t vel_limite = 0;  // units of 5 km/h
    std::uint8_t pendenza = 0;    // gradient + 100
    std::uint8_t aderenza = 0;

    friend bool operator==(const cella&, const cella&) = default;
};

// The kind of a cell; a byte that names no kind converts to a value outside the enumerators.
constexpr cell_kind kind_of(const cella& c) { return static_cast<cell_kind>(c.tipo_cella); }

// Kinds 0 and 11 leave a cell free for a feature.
inline bool is_free(const cella& c) {
    return kind_of(c) == cell_kind::plain || kind_of(c) == cell_kind::scenery_mark;
}

// One entry of the header table: a station, a sign text or a block of scalar header values.
struct voce {
    std::uint8_t v_tipo = 0;
    std::int32_t v_a = 0;
    std::int32_t v_b = 0;
    std::int32_t v_c = 0;
    std::uint8_t v_flag = 0;
    std::string v_nome;  // Windows-1252 bytes
    std::int16_t v_i1 = 0;
    std::int16_t v_i2 = 0;
    std::int16_t v_i3 = 0;
    std::int16_t v_i4 = 0;
    std::int16_t v_i5 = 0;
    std::uint8_t v_b1 = 0;
    std::uint8_t v_b2 = 0;
    std::uint8_t v_b3 = 0;
    std::uint8_t v_b4 = 0;
    std::int32_t v_l = 0;

    friend bool operator==(const voce&, const voce&) = default;
};

// The header table always has 87 entries. Stations fill 1, 2, 3, ...; sign texts fill 80, 79,
// ... downward; 81 to 86 hold the scalar header values (see the named entries below).
inline constexpr int k_testata_entries = 87;
using testata = std::array<voce, k_testata_entries>;

inline constexpr int k_entry_progressiva_tre = 81;  // after ordering: first progressive slot
inline constexpr int k_entry_progressiva_due = 82;
inline constexpr int k_entry_progressiva_uno = 83;
inline constexpr int k_entry_treno = 84;   // v_a braked mass %, v_b route length, v_c cars
inline constexpr int k_entry_linea = 85;   // scenery, line name, marker 610, identity code
inline constexpr int k_entry_codici = 86;  // signal repetition, train code, sand, clock
inline constexpr int k_first_sign_entry = 80;

// The cell array, indices 0 to n_celle.
using celle = std::vector<cella>;

// All working state of one run, owned by the window object.
struct run_state {
    std::string nome_linea;    // UTF-8
    std::string codice_treno;  // UTF-8

    // The scenario directory, asked afresh every time a file name is built.
    std::function<std::filesystem::path()> scenario_directory;

    std::int32_t crea_geometria = 0;
    std::string voce_letta;  // Windows-1252 bytes
    std::int32_t lunghezza_dim = 0;
    std::int32_t n_celle = 0;
    std::int32_t indice = 0;
    std::int32_t indice2 = 0;
    std::int32_t indice3 = 0;
    std::int32_t conta_a = 0;
    std::int32_t conta_b = 0;
    std::int32_t conta_c = 0;
    std::int32_t codice_errore = 0;
    std::int32_t posizione_errore = 0;
    std::array<std::int32_t, 81> montagna_inizio{};
    std::array<std::int32_t, 81> montagna_fine{};
    std::int32_t conta_montagne = 0;

    scenario::testata testata;
    scenario::celle celle;
    scenario::geometria geometria;
};

}  // namespace scenario
