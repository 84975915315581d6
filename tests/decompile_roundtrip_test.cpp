// The round trip of `scenario-tool decompile`: texts are compiled into the three binary files,
// the files decompiled into texts, and those texts compiled again must give the very same bytes
// (each file compared by SHA-256); the texts decompiled from the second set must then be the
// texts themselves, byte for byte (the fixed point). It runs over the program's own texts, the
// small golden scenarios and a corpus of random scenarios from the test kit.
//
// The corpus: SCENARIO_ROUNDTRIP_SEEDS seeds (the build's default, 500 unless configured
// otherwise with -DSCENARIO_ROUNDTRIP_SEEDS=N) from SCENARIO_ROUNDTRIP_FIRST_SEED (1). A failing
// seed is named with its file and the first differing byte, so that it can be run alone:
//   SCENARIO_ROUNDTRIP_FIRST_SEED=417 SCENARIO_ROUNDTRIP_SEEDS=1
//     scenario_tests --gtest_filter='DecompileRoundTrip.*'
// Under wine and the sanitizers the routes are shorter (up to 15 km), to keep those suites
// fast.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/exit_status.h"
#include "base/records.h"
#include "compile/description_source.h"
#include "golden_scenarios.h"
#include "output/binary_files.h"
#include "run/run_sequence.h"
#include "testkit/synthetic_scenario.h"
#include "testkit/test_support.h"
#include "tool_in_process.h"

#ifndef SCENARIO_ROUNDTRIP_DEFAULT_SEEDS
#define SCENARIO_ROUNDTRIP_DEFAULT_SEEDS 500
#endif

namespace scenario::testing {
namespace {

namespace fs = std::filesystem;

std::uint64_t setting(const char* name, std::uint64_t fallback) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return fallback;
    return std::strtoull(value, nullptr, 10);
}

random_options corpus_options() {
    random_options options;
#if defined(_WIN32) || defined(SCENARIO_SANITIZED)
    options.max_route_length = 15000;
#endif
    return options;
}

// One scenario to take round: its names, its two texts and how it is compiled.
struct scenario_texts {
    std::string line_name;  // UTF-8
    std::string train_code;
    std::string line;  // Windows-1252, CR LF
    std::string train;
    bool geometry = true;
};

// --- where two files first differ, in the words of their records --------------------------

std::uint32_t little_endian(const std::string& bytes, std::size_t at, std::size_t width) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < width && at + i < bytes.size(); ++i)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return v;
}

std::string cell_place(std::size_t offset) {
    struct field {
        std::size_t at;
        const char* name;
    };
    static constexpr field fields[] = {{0, "tipo_cella"}, {1, "val1"},     {3, "val2"},
                                       {5, "val3"},       {7, "val4"},     {9, "tempo_segnale"},
                                       {10, "preavviso"}, {11, "sfondo"},  {12, "vel_limite"},
                                       {13, "pendenza"},  {14, "aderenza"}};
    const char* name = "tipo_cella";
    for (const field& f : fields) {
        if (f.at <= offset % k_cell_size) name = f.name;
    }
    return "cella " + std::to_string(offset / k_cell_size) + ", " + name;
}

std::string header_place(const std::string& bytes, std::size_t offset) {
    std::size_t at = 0;
    for (int entry = 0; entry <= 86 && at + 16 <= bytes.size(); ++entry) {
        const std::size_t l = little_endian(bytes, at + 14, 2);
        if (offset < at + k_entry_fixed_size + l) {
            const std::size_t r = offset - at;
            std::string field;
            if (r == 0)
                field = "v_tipo";
            else if (r < 5)
                field = "v_a";
            else if (r < 9)
                field = "v_b";
            else if (r < 13)
                field = "v_c";
            else if (r == 13)
                field = "v_flag";
            else if (r < 16)
                field = "lunghezza di v_nome";
            else if (r < 16 + l)
                field = "v_nome, carattere " + std::to_string(r - 16);
            else if (r < 26 + l)
                field = "v_i" + std::to_string((r - 16 - l) / 2 + 1);
            else if (r < 30 + l)
                field = "v_b" + std::to_string(r - 26 - l + 1);
            else
                field = "v_l";
            return "voce " + std::to_string(entry) + ", " + field;
        }
        at += k_entry_fixed_size + l;
    }
    return "oltre la voce 86";
}

std::string geometry_place(const std::string& bytes, std::size_t offset) {
    // Every element: a 16-bit tag and its payload. Coordinate 0 of all metres, then coordinate 1.
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at + 2 <= bytes.size();) {
        starts.push_back(at);
        const std::uint32_t tag = little_endian(bytes, at, 2);
        at += 2 + (tag == 2 ? 2 : tag == 5 ? 8 : 0);
    }
    const std::size_t metres = starts.size() / 2;
    std::size_t j = 0;
    while (j + 1 < starts.size() && starts[j + 1] <= offset) ++j;
    if (metres == 0) return "elemento " + std::to_string(j);
    return "metro " + std::to_string(j % metres) + ", coordinata " + std::to_string(j / metres);
}

// The first byte where `got` leaves `wanted`, placed in the record it belongs to.
std::string first_difference(file_kind kind, const std::string& wanted, const std::string& got) {
    std::size_t offset = 0;
    while (offset < wanted.size() && offset < got.size() && wanted[offset] == got[offset]) ++offset;
    std::string place;
    switch (kind) {
        case file_kind::cells:
            place = cell_place(offset);
            break;
        case file_kind::header_table:
            place = header_place(wanted, offset);
            break;
        default:
            place = geometry_place(wanted, offset);
            break;
    }
    std::string text = "byte " + std::to_string(offset) + " (" + place + ")";
    if (wanted.size() != got.size()) {
        text += "; " + std::to_string(wanted.size()) + " byte attesi, " +
                std::to_string(got.size()) + " avuti";
    }
    return text;
}

// The three files of the "collina" golden scenario, each with one byte changed at a place of
// known record and field: the description of the first difference names that place.
TEST(DecompileRoundTrip, AMismatchIsPlacedInItsRecord) {
    const scenario_case& collina = k_scenarios[0];
    ASSERT_EQ(std::string_view(collina.name), "collina");
    run_state state;
    state.nome_linea = collina.nome_linea;
    state.codice_treno = collina.codice_treno;
    memory_descriptions source(text_of(collina.line), text_of(collina.train));
    ASSERT_TRUE(compila_scenario(state, 1, source).writes_files());
    const std::string cells = serialise_celle(state.celle);
    const std::string header = serialise_testata(state.testata);
    const std::string plan = serialise_geometria(state.geometria);

    std::size_t entry_85 = 0;  // where header entry 85 starts
    for (int e = 0; e < 85; ++e) entry_85 += k_entry_fixed_size + state.testata[e].v_nome.size();
    const std::size_t entry_84 = entry_85 - k_entry_fixed_size - state.testata[84].v_nome.size();
    // Coordinate 0: metres 0 and 1 whole numbers (4 bytes), the traced metres doubles (10), the
    // last two empty (2).
    const std::size_t metres = static_cast<std::size_t>(state.lunghezza_dim) + 1;
    const std::size_t coordinate_1 = 2 * 4 + (metres - 4) * 10 + 2 * 2;

    struct change {
        file_kind kind;
        const std::string* bytes;
        std::size_t offset;
        std::string place;
    };
    const change cases[] = {
        {file_kind::cells, &cells, 36 * 15 + 10, "cella 36, preavviso"},
        {file_kind::cells, &cells, 2 * 15 + 4, "cella 2, val2"},
        {file_kind::cells, &cells, 0, "cella 0, tipo_cella"},
        {file_kind::header_table, &header, entry_84 + 6, "voce 84, v_b"},
        {file_kind::header_table, &header, entry_85 + 18, "voce 85, v_nome, carattere 2"},
        {file_kind::header_table, &header,
         entry_85 + k_entry_fixed_size - 4 + state.testata[85].v_nome.size(), "voce 85, v_l"},
        {file_kind::line_geometry, &plan, 8 + 98 * 10 + 3, "metro 100, coordinata 0"},
        {file_kind::line_geometry, &plan, coordinate_1 + 8 + 3 * 10 + 1, "metro 5, coordinata 1"},
    };
    for (const change& c : cases) {
        std::string changed = *c.bytes;
        changed.at(c.offset) = static_cast<char>(changed.at(c.offset) ^ 0x40);
        EXPECT_EQ(first_difference(c.kind, *c.bytes, changed),
                  "byte " + std::to_string(c.offset) + " (" + c.place + ")");
    }
    // A file cut short differs where the shorter one ends.
    const std::string cut = cells.substr(0, 40 * 15);
    EXPECT_EQ(first_difference(file_kind::cells, cells, cut), "byte 600 (cella 40, tipo_cella); " +
                                                                  std::to_string(cells.size()) +
                                                                  " byte attesi, 600 avuti");
}

// --- the round trip -----------------------------------------------------------------------

std::vector<std::string> scenario_words(const std::string& command, const fs::path& dir,
                                        const scenario_texts& s, const fs::path& out) {
    std::vector<std::string> words = {command,   shown(dir),   "--line", s.line_name,
                                      "--train", s.train_code, "--out",  shown(out)};
    if (command == "compile" && !s.geometry) words.push_back("--no-geometry");
    return words;
}

std::string text_file(const fs::path& dir, const scenario_texts& s, file_kind kind) {
    return read_bytes(file_in(dir, s.line_name, s.train_code, kind));
}

// What went wrong, or nothing when the round trip held.
std::optional<std::string> round_trip(const scenario_texts& s) {
    const scratch_directory root;
    const fs::path texts = root.path() / "testi", first = root.path() / "primi",
                   decompiled = root.path() / "decompilati", second = root.path() / "secondi",
                   again = root.path() / "ancora";
    for (const fs::path& d : {texts, first, second}) fs::create_directory(d);
    write_bytes(file_in(texts, s.line_name, s.train_code, file_kind::line_description), s.line);
    write_bytes(file_in(texts, s.line_name, s.train_code, file_kind::train_description), s.train);

    const tool_result compiled = scenario_tool(scenario_words("compile", texts, s, first));
    if (compiled.exit_status != k_exit_ok && compiled.exit_status != k_exit_fault_recorded)
        return "compile: exit " + std::to_string(compiled.exit_status) + "\n" +
               compiled.standard_output + compiled.standard_error;

    const tool_result back = scenario_tool(scenario_words("decompile", first, s, decompiled));
    if (back.exit_status != k_exit_ok)
        return "decompile: exit " + std::to_string(back.exit_status) + "\n" + back.standard_output +
               back.standard_error;

    // The promise is the bytes: texts that stop where the first compile stopped, or that give
    // the same bytes without a fault, both keep it.
    const tool_result recompiled = scenario_tool(scenario_words("compile", decompiled, s, second));
    if (recompiled.exit_status != k_exit_ok && recompiled.exit_status != k_exit_fault_recorded)
        return "compile of the decompiled texts: exit " + std::to_string(recompiled.exit_status) +
               "\n" + recompiled.standard_output + recompiled.standard_error;

    std::string differences;
    for (const file_kind kind : k_binary_kinds) {
        const fs::path a = file_in(first, s.line_name, s.train_code, kind);
        const fs::path b = file_in(second, s.line_name, s.train_code, kind);
        if (kind == file_kind::line_geometry && !s.geometry) {
            if (fs::exists(b)) differences += "a geometry file without the geometry\n";
            continue;
        }
        if (!fs::exists(a) || !fs::exists(b)) {
            differences += "missing: " + shown(fs::exists(a) ? b : a) + "\n";
            continue;
        }
        const std::string wanted = read_bytes(a), got = read_bytes(b);
        if (sha256_hex(wanted) != sha256_hex(got))
            differences += shown(a.filename()) + ": " + first_difference(kind, wanted, got) + "\n";
    }
    if (!differences.empty()) return differences;

    const tool_result fixed = scenario_tool(scenario_words("decompile", second, s, again));
    if (fixed.exit_status != k_exit_ok)
        return "second decompile: exit " + std::to_string(fixed.exit_status) + "\n" +
               fixed.standard_output;
    for (const file_kind kind : {file_kind::line_description, file_kind::train_description}) {
        const std::string a = text_file(decompiled, s, kind), b = text_file(again, s, kind);
        if (a != b) {
            std::size_t at = 0;
            while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
            differences += scenario_file_name(s.line_name, s.train_code, kind) +
                           ": not a fixed point, the texts part at byte " + std::to_string(at) +
                           "\n";
        }
    }
    if (!differences.empty()) return differences;
    return std::nullopt;
}

TEST(DecompileRoundTrip, TheProgramsOwnScenario) {
    const scratch_directory dir;
    write_real_texts(dir.path());
    const scenario_texts s = {
        k_line, k_train, read_bytes(real_file(dir.path(), file_kind::line_description)),
        read_bytes(real_file(dir.path(), file_kind::train_description)), true};
    const auto failure = round_trip(s);
    EXPECT_FALSE(failure) << *failure;
}

TEST(DecompileRoundTrip, TheGoldenScenarios) {
    for (const scenario_case& c : k_scenarios) {
        const scenario_texts s = {c.nome_linea, c.codice_treno, text_of(c.line), text_of(c.train),
                                  c.crea_geometria != 0};
        const auto failure = round_trip(s);
        EXPECT_FALSE(failure) << c.name << ": " << *failure;
    }
}

TEST(DecompileRoundTrip, TheRandomCorpus) {
    const std::uint64_t first = setting("SCENARIO_ROUNDTRIP_FIRST_SEED", 1);
    const std::uint64_t count =
        setting("SCENARIO_ROUNDTRIP_SEEDS", SCENARIO_ROUNDTRIP_DEFAULT_SEEDS);
    const random_options options = corpus_options();
    std::vector<std::uint64_t> failed;
    for (std::uint64_t seed = first; seed < first + count; ++seed) {
        const random_scenario r = make_random_scenario(seed, options);
        const scenario_texts s = {r.line_name, r.train_code, r.texts.line, r.texts.train,
                                  r.geometry};
        if (const auto failure = round_trip(s)) {
            failed.push_back(seed);
            // The first few in full; the rest only by their seed.
            if (failed.size() <= 5) ADD_FAILURE() << "seed " << seed << ": " << *failure;
        }
    }
    std::string seeds;
    for (const std::uint64_t seed : failed) seeds += " " + std::to_string(seed);
    EXPECT_TRUE(failed.empty()) << failed.size() << " of " << count << " seeds failed:" << seeds;
}

// --- a cell file no text can give ---------------------------------------------------------

// The "segnali" golden scenario compiled, with its signal on cell 41 moved by hand to cell 52:
// the approach marks stay on cells 39 to 33, and cells 50 to 44 have none.
struct hand_edited {
    scratch_directory root;
    scenario_texts s;
    fs::path files;
    std::string edited;
};

constexpr std::size_t k_moved_from = 41;
constexpr std::size_t k_moved_to = 52;

void edit_by_hand(hand_edited& h) {
    const scenario_case* segnali = nullptr;
    for (const scenario_case& c : k_scenarios) {
        if (std::string_view(c.name) == "segnali") segnali = &c;
    }
    ASSERT_NE(segnali, nullptr);
    h.s = {segnali->nome_linea, segnali->codice_treno, text_of(segnali->line),
           text_of(segnali->train), false};
    const fs::path texts = h.root.path() / "testi";
    h.files = h.root.path() / "file";
    fs::create_directory(texts);
    fs::create_directory(h.files);
    write_bytes(file_in(texts, h.s.line_name, h.s.train_code, file_kind::line_description),
                h.s.line);
    write_bytes(file_in(texts, h.s.line_name, h.s.train_code, file_kind::train_description),
                h.s.train);
    ASSERT_EQ(scenario_tool(scenario_words("compile", texts, h.s, h.files)).exit_status, 0);

    const fs::path cells = file_in(h.files, h.s.line_name, h.s.train_code, file_kind::cells);
    std::string bytes = read_bytes(cells);
    const std::size_t from = k_moved_from * k_cell_size, to = k_moved_to * k_cell_size;
    ASSERT_EQ(bytes.at(from), 1) << "the scenario no longer has its signal on cell 41";
    ASSERT_EQ(bytes.at(to), 0);
    // Kind, the four value words and the signal time move; the fills of both cells stay.
    for (std::size_t i = 0; i < 10; ++i) {
        bytes[to + i] = bytes[from + i];
        bytes[from + i] = 0;
    }
    write_bytes(cells, bytes);
    h.edited = bytes;
}

// A whole number written at `at`, its thousands perhaps parted by dots; nothing when none.
std::optional<std::size_t> number_at(const std::string& text, std::size_t& at) {
    std::string digits;
    while (at < text.size()) {
        const char c = text[at];
        if (c >= '0' && c <= '9') {
            digits += c;
        } else if (c != '.' || digits.empty() || at + 3 >= text.size() ||
                   !std::isdigit(static_cast<unsigned char>(text[at + 1]))) {
            break;
        }
        ++at;
    }
    if (digits.empty()) return std::nullopt;
    return std::stoull(digits);
}

// The cells a report names: "cella N", "celle A–B", and the bytes of the cell file's lines.
std::set<std::size_t> named_cells(const std::string& report, const std::string& cell_file) {
    std::set<std::size_t> cells;
    std::size_t line_start = 0;
    while (line_start < report.size()) {
        const std::size_t line_end = std::min(report.find('\n', line_start), report.size());
        const std::string line = report.substr(line_start, line_end - line_start);
        line_start = line_end + 1;
        for (std::size_t at = line.find("cella "); at != std::string::npos;
             at = line.find("cella ", at)) {
            at += 6;
            if (const auto n = number_at(line, at)) cells.insert(*n);
        }
        for (std::size_t at = line.find("celle "); at != std::string::npos;
             at = line.find("celle ", at)) {
            at += 6;
            const auto first = number_at(line, at);
            while (at < line.size() && !std::isdigit(static_cast<unsigned char>(line[at])) &&
                   line[at] != ' ')
                ++at;  // the dash between the two, "-" or "–"
            const auto last = number_at(line, at);
            if (first && last && *first <= *last && *last - *first < 100000) {
                for (std::size_t c = *first; c <= *last; ++c) cells.insert(c);
            }
        }
        if (!contains(line, cell_file)) continue;
        for (std::size_t at = line.find("byte "); at != std::string::npos;
             at = line.find("byte ", at)) {
            at += 5;
            if (const auto n = number_at(line, at)) cells.insert(*n / k_cell_size);
        }
    }
    return cells;
}

bool names_one_of(const std::set<std::size_t>& named, std::initializer_list<std::size_t> cells) {
    for (const std::size_t c : cells) {
        if (named.contains(c)) return true;
    }
    return false;
}

TEST(DecompileRoundTrip, AHandEditedCellFileIsRefusedWithItsPlaces) {
    hand_edited h;
    ASSERT_NO_FATAL_FAILURE(edit_by_hand(h));
    const fs::path out = h.root.path() / "testi-nuovi";
    const tool_result result = scenario_tool(scenario_words("decompile", h.files, h.s, out));
    EXPECT_EQ(result.exit_status, k_exit_failure) << result.standard_output;
    // Where the signal stands now without its marks, and where its marks stand without it.
    const std::set<std::size_t> named =
        named_cells(result.standard_output,
                    scenario_file_name(h.s.line_name, h.s.train_code, file_kind::cells));
    EXPECT_TRUE(names_one_of(named, {52, 50, 48, 46, 44})) << result.standard_output;
    EXPECT_TRUE(names_one_of(named, {41, 39, 37, 35, 33})) << result.standard_output;
    EXPECT_FALSE(
        fs::exists(file_in(out, h.s.line_name, h.s.train_code, file_kind::line_description)));
    EXPECT_FALSE(
        fs::exists(file_in(out, h.s.line_name, h.s.train_code, file_kind::train_description)));
}

TEST(DecompileRoundTrip, TheNearestTextsNameTheBytesThatDiffer) {
    hand_edited h;
    ASSERT_NO_FATAL_FAILURE(edit_by_hand(h));
    const fs::path out = h.root.path() / "testi-nuovi";
    std::vector<std::string> words = scenario_words("decompile", h.files, h.s, out);
    words.push_back("--nearest");
    const tool_result result = scenario_tool(words);
    ASSERT_EQ(result.exit_status, k_exit_fault_recorded) << result.standard_output;

    // The nearest texts compile; every cell where their file leaves the edited one is named.
    const fs::path recompiled = h.root.path() / "ricompilati";
    fs::create_directory(recompiled);
    ASSERT_EQ(scenario_tool(scenario_words("compile", out, h.s, recompiled)).exit_status, 0);
    const std::string got =
        read_bytes(file_in(recompiled, h.s.line_name, h.s.train_code, file_kind::cells));
    ASSERT_EQ(got.size(), h.edited.size());
    std::set<std::size_t> differing;
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (got[i] != h.edited[i]) differing.insert(i / k_cell_size);
    }
    EXPECT_FALSE(differing.empty());
    const std::set<std::size_t> named =
        named_cells(result.standard_output,
                    scenario_file_name(h.s.line_name, h.s.train_code, file_kind::cells));
    for (const std::size_t cell : differing) {
        EXPECT_TRUE(named.contains(cell)) << "cell " << cell << " differs but is not named:\n"
                                          << result.standard_output;
    }
}

}  // namespace
}  // namespace scenario::testing
