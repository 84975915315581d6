// Tests of the three crew documents: what each writes to the scenario directory (line count,
// code page, line ends, the end marker never written, the earlier file replaced), the columns of
// their forms worked out from the cell widths, and their fixed lines word for word.
#include "documents/crew_documents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "base/fixed_text.h"
#include "base/windows1252.h"
#include "base/scenario_files.h"
#include "testkit/test_support.h"

namespace scenario {
namespace {

struct document {
    std::string_view name;
    void (*write)(run_state&);
    std::span<const std::string_view> (*table)();
    file_kind kind;
    std::int32_t line_count;
};

constexpr document k_timetable{"timetable sheet", dati_scheda, timetable_sheet_table,
                               file_kind::timetable_sheet, 53};
constexpr document k_slow_orders{"slow-order sheet", dati_rallentamenti, slow_order_sheet_table,
                                 file_kind::slow_order_sheet, 46};
constexpr document k_notes{"notes", dati_note, notes_table, file_kind::notes, 98};
constexpr document k_documents[] = {k_timetable, k_slow_orders, k_notes};

// Inner widths of the cells of the timetable grid and of the slow-order table.
const std::vector<std::size_t> k_grid_widths = {5, 5, 10, 5, 28, 16, 5};
const std::vector<std::size_t> k_slow_order_widths = {3, 28, 12, 10, 9, 12};

struct written {
    std::string bytes;
    std::int32_t indice = -1;
    std::vector<std::string> lines;  // Windows-1252 bytes, without the CR LF
};

written write_into(const std::filesystem::path& dir, const document& doc) {
    run_state state = testing::state_in(dir);
    doc.write(state);
    written out;
    out.bytes = testing::read_bytes(scenario_file(state, doc.kind));
    out.indice = state.indice;
    std::size_t start = 0;
    for (std::size_t end; (end = out.bytes.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        out.lines.push_back(out.bytes.substr(start, end - start));
    }
    if (start < out.bytes.size()) out.lines.push_back(out.bytes.substr(start));
    return out;
}

std::vector<std::string> lines_of(const document& doc) {
    const testing::scratch_directory dir;
    return write_into(dir.path(), doc).lines;
}

std::vector<std::size_t> bar_columns(std::string_view line) {
    std::vector<std::size_t> columns;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '|') columns.push_back(i);
    }
    return columns;
}

// The "|" of a form row: one space, the opening "|", then each cell closed by its own "|".
std::vector<std::size_t> bars_for(const std::vector<std::size_t>& widths) {
    std::vector<std::size_t> columns = {1};
    for (const std::size_t w : widths) columns.push_back(columns.back() + w + 1);
    return columns;
}

// A form row built from its cells: a filled cell is one space, the value and spaces to its
// width; an empty cell is all `fill` (spaces for a blank row, "_" for a rule row).
std::string form_row(const std::vector<std::size_t>& widths, const std::vector<std::string>& cells,
                     char fill = ' ') {
    std::string row = " |";
    for (std::size_t i = 0; i < widths.size(); ++i) {
        const std::string cell = i < cells.size() ? cells[i] : "";
        std::string text = cell.empty() ? std::string(widths[i], fill) : " " + cell;
        text.resize(widths[i], ' ');
        row += text + "|";
    }
    return row;
}

std::string lower_case(std::string_view text) {
    std::string out;
    for (const char c : text) {
        out += static_cast<char>(lower_windows1252(static_cast<std::uint8_t>(c)));
    }
    return out;
}

bool has_lower_case(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return std::islower(static_cast<unsigned char>(c)); });
}

void expect_quoted_lines(const document& doc,
                         const std::vector<std::pair<int, std::string_view>>& quoted) {
    const std::vector<std::string> lines = lines_of(doc);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(doc.line_count));
    for (const auto& [index, text] : quoted) {
        EXPECT_EQ(from_windows1252(lines[index]), text) << doc.name << " line " << index;
    }
}

TEST(CrewDocuments, WritesEveryLineWithCrLfInWindows1252) {
    for (const document& doc : k_documents) {
        SCOPED_TRACE(doc.name);
        const auto table = doc.table();
        EXPECT_EQ(table.size(), static_cast<std::size_t>(doc.line_count) + 1);
        EXPECT_EQ(std::count(table.begin(), table.end(), k_end_marker), 1);
        EXPECT_EQ(table.back(), k_end_marker);
        const testing::scratch_directory dir;
        const written out = write_into(dir.path(), doc);
        EXPECT_EQ(out.lines.size(), static_cast<std::size_t>(doc.line_count));
        EXPECT_EQ(out.indice, doc.line_count);
        ASSERT_GE(out.bytes.size(), 2u);
        EXPECT_EQ(out.bytes.substr(out.bytes.size() - 2), "\r\n");
        // No bare CR or LF: every line end is the pair.
        EXPECT_EQ(std::count(out.bytes.begin(), out.bytes.end(), '\r'), doc.line_count);
        EXPECT_EQ(std::count(out.bytes.begin(), out.bytes.end(), '\n'), doc.line_count);
        EXPECT_NE(out.bytes.substr(0, 3), "\xEF\xBB\xBF");
        EXPECT_EQ(out.bytes.find(k_end_marker), std::string::npos);
        // The accented letters of these texts would start with 0xC3 in UTF-8.
        EXPECT_EQ(out.bytes.find('\xC3'), std::string::npos);
    }
}

TEST(CrewDocuments, AccentedLettersAreSingleWindows1252Bytes) {
    const std::vector<std::string> sheet = lines_of(k_timetable);
    const std::vector<std::string> notes = lines_of(k_notes);
    ASSERT_EQ(sheet.size(), 53u);
    ASSERT_EQ(notes.size(), 98u);
    EXPECT_EQ(notes[7], "Velocit\xE0 massima  : 80 KMH");
    EXPECT_EQ(notes[8], "N\xB0 stazioni       : 20");
    EXPECT_NE(sheet[12].find("metropolitana \xE8 a schema"), std::string::npos);
    EXPECT_NE(sheet[13].find("di velocit\xE0 e"), std::string::npos);
    std::string all_notes;
    for (const std::string& line : notes) all_notes += line;
    for (const char letter : {'\xE8', '\xE0', '\xF9', '\xB0'}) {
        EXPECT_NE(all_notes.find(letter), std::string::npos) << "byte " << int(letter & 0xFF);
    }
}

TEST(CrewDocuments, ReplacesAnEarlierLongerFileWhole) {
    for (const document& doc : k_documents) {
        SCOPED_TRACE(doc.name);
        const testing::scratch_directory fresh_dir, old_dir;
        const std::string fresh = write_into(fresh_dir.path(), doc).bytes;
        run_state state = testing::state_in(old_dir.path());
        const std::string earlier(fresh.size() + 4096, 'x');
        testing::write_bytes(scenario_file(state, doc.kind), earlier);
        EXPECT_EQ(write_into(old_dir.path(), doc).bytes, fresh);
    }
}

TEST(TimetableSheet, GridLinesKeepTheColumnsOfTheCellWidths) {
    const std::vector<std::string> lines = lines_of(k_timetable);
    ASSERT_EQ(lines.size(), 53u);
    const std::vector<std::size_t> bars = bars_for(k_grid_widths);
    ASSERT_EQ(bars, (std::vector<std::size_t>{1, 7, 13, 24, 30, 59, 76, 82}));
    EXPECT_EQ(lines[16], "  " + std::string(80, '_'));
    for (int i = 17; i <= 51; ++i) {
        EXPECT_EQ(lines[i].size(), 83u) << "line " << i;
        EXPECT_EQ(bar_columns(lines[i]), bars) << "line " << i;
    }
    for (const int i : {19, 51}) EXPECT_EQ(lines[i], form_row(k_grid_widths, {}, '_'));
    for (int i = 20; i <= 50; ++i) {
        if (i <= 29 && i % 2 == 1) continue;  // the five filled rows
        EXPECT_EQ(lines[i], form_row(k_grid_widths, {})) << "line " << i;
    }
}

TEST(TimetableSheet, FilledRowsHoldTheirValuesInTheirCells) {
    struct row {
        int index;
        std::string limit, chainage, location, time;
    };
    const row rows[] = {
        {21, "80", "0", "Cascina Telvo", "6.30"},
        {23, "60", "2.200", "Inizio tratto sottoterra", "6.34.30"},
        {25, "", "6.000", "Lorvio", "6.41"},
        {27, "30", "17.200", "Scambi 'Brunvicco'", "7.01"},
        {29, "", "18.200", "Brunvicco", "7.04"},
    };
    const std::vector<std::string> lines = lines_of(k_timetable);
    ASSERT_EQ(lines.size(), 53u);
    for (const row& r : rows) {
        EXPECT_EQ(lines[r.index],
                  form_row(k_grid_widths, {r.limit, "", r.chainage, "", r.location, r.time, ""}))
            << "line " << r.index;
    }
}

TEST(TimetableSheet, HeaderBoxColumns) {
    const std::vector<std::string> lines = lines_of(k_timetable);
    ASSERT_EQ(lines.size(), 53u);
    EXPECT_EQ(lines[2].size(), 82u);
    for (int i = 3; i <= 6; ++i) {
        const std::vector<std::size_t> expected =
            i == 6 ? std::vector<std::size_t>{67, 82} : std::vector<std::size_t>{1, 21, 67, 82};
        EXPECT_EQ(lines[i].size(), 83u) << "line " << i;
        EXPECT_EQ(bar_columns(lines[i]), expected) << "line " << i;
    }
}

TEST(TimetableSheet, QuotedLinesWordForWord) {
    // clang-format off
    expect_quoted_lines(
        k_timetable,
        {
            {0, ""},
            {1, ""},
            {2, "  ___________________                                               ______________"},
            {3, " |                   |                    SCHEDA                   |              |"},
            {4, " |   TRENO n.26      |                   da: Zelnor Cascina Telvo  |    V80  C    |"},
            {5, " |___________________|                    a: Zelnor Brunvicco      |     135%     |"},
            {6, "                                                                   |______________|"},
            {7, "  ___________________                ___________________"},
            {8, " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       "},
            {9, " |   Metropolitana   |              |      380T         |"},
            {10, " |___________________|              |___________________|"},
            {11, ""},
            {12, "  Questo treno essendo una metropolitana è a schema libero, si conosce solo l'ora di partenza"},
            {13, "  e l'ora di arrivo, ho inserito anche le variazioni di velocità e l'ora di arrivo partenza in"},
            {14, "  una stazione principale, il treno ferma in TUTTE le stazioni del percorso tranne che alla "},
            {15, "  fermata che simula gli scambi della stazione di Brunvicco"},
            {17, " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |"},
            {18, " | Lim.|Marc.|          |  Rs |                            |                |     |"},
            {19, " |_____|_____|__________|_____|____________________________|________________|_____|"},
            {20, " |     |     |          |     |                            |                |     |"},
            {21, " | 80  |     | 0        |     | Cascina Telvo              | 6.30           |     |"},
            {23, " | 60  |     | 2.200    |     | Inizio tratto sottoterra   | 6.34.30        |     |"},
            {25, " |     |     | 6.000    |     | Lorvio                     | 6.41           |     |"},
            {27, " | 30  |     | 17.200   |     | Scambi 'Brunvicco'         | 7.01           |     |"},
            {29, " |     |     | 18.200   |     | Brunvicco                  | 7.04           |     |"},
            {52, ""},
        });
    // clang-format on
}

TEST(SlowOrderSheet, TableLinesKeepTheColumnsOfTheCellWidths) {
    const std::vector<std::string> lines = lines_of(k_slow_orders);
    ASSERT_EQ(lines.size(), 46u);
    const std::vector<std::size_t> bars = bars_for(k_slow_order_widths);
    ASSERT_EQ(bars, (std::vector<std::size_t>{1, 5, 34, 47, 58, 68, 81}));
    EXPECT_EQ(lines[3], " " + std::string(80, '_'));
    EXPECT_EQ(lines[7], "  " + std::string(79, '_'));
    for (int i = 8; i <= 38; ++i) {
        EXPECT_EQ(lines[i].size(), 82u) << "line " << i;
        EXPECT_EQ(bar_columns(lines[i]), bars) << "line " << i;
    }
    for (const int i : {11, 38}) EXPECT_EQ(lines[i], form_row(k_slow_order_widths, {}, '_'));
    // The train has no slow orders: all 26 rows stay blank.
    for (int i = 12; i <= 37; ++i) {
        EXPECT_EQ(lines[i], form_row(k_slow_order_widths, {})) << "line " << i;
    }
}

TEST(SlowOrderSheet, QuotedLinesWordForWord) {
    // clang-format off
    expect_quoted_lines(
        k_slow_orders,
        {
            {0, ""},
            {1, "                               Modulo M. 3"},
            {2, "                           ORDINE DI RALLENTAMENTO"},
            {4, "  Linea 2 "},
            {5, ""},
            {6, "  Si ordina al macchinista del treno 26 di effettuare i seguenti rallentamenti"},
            {8, " |   |                            |Inizio dopo |          |         |            |"},
            {9, " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|"},
            {10, " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |"},
            {11, " |___|____________________________|____________|__________|_________|____________|"},
            {12, " |   |                            |            |          |         |            |"},
            {39, ""},
            {40, "              Prescrizioni specifiche"},
            {41, " A - Da rispettare con tutto il treno (per i treni viaggiatori)"},
            {42, " B - Interessa anche la stazione di......."},
            {43, " D - Rallentamneto N. ... e N. ...  sono contigui"},
            {44, " C - Da rispettare dalle ore ....  alle ore ..... di tutti"},
            {45, "     i giorni esclusi i seguenti:........."},
        });
    // clang-format on
}

TEST(ScenarioNotes, TechnicalLinesAlignTheirColonAtColumn18) {
    const std::vector<std::string> lines = lines_of(k_notes);
    ASSERT_EQ(lines.size(), 98u);
    for (int i = 4; i <= 13; ++i) {
        SCOPED_TRACE("line " + std::to_string(i));
        ASSERT_GT(lines[i].size(), 20u);
        EXPECT_EQ(lines[i].find(':'), 18u);
        EXPECT_EQ(lines[i].substr(18, 2), ": ");
        EXPECT_NE(lines[i][0], ' ');
        EXPECT_NE(lines[i][20], ' ');  // a value follows the label
    }
    EXPECT_EQ(lines[10].substr(0, 20), "Tratto gestito da : ");
}

TEST(ScenarioNotes, StretchStationsHangFromOneColumn) {
    const std::vector<std::string> lines = lines_of(k_notes);
    ASSERT_EQ(lines.size(), 98u);
    for (int i = 33; i <= 52; ++i) {
        if (i == 49) continue;  // the end of the underground section
        SCOPED_TRACE("line " + std::to_string(i));
        const std::size_t column = i == 51 ? 16 : 23;
        EXPECT_EQ(lines[i].find("|- "), column);
        EXPECT_FALSE(has_lower_case(lines[i]));
    }
    for (const int i : {47, 48}) {
        EXPECT_EQ(lines[i].size(), 45u) << "line " << i;
        EXPECT_EQ(bar_columns(lines[i]), (std::vector<std::size_t>{10, 23, 44})) << "line " << i;
    }
    const std::string cadrevo = std::string(23, ' ') + "|- CADREVO ";
    ASSERT_EQ(lines[38].substr(0, cadrevo.size()), cadrevo);
    const std::string after = lines[38].substr(cadrevo.size());
    EXPECT_EQ(std::count(after.begin(), after.end(), ' '), 1) << "two words after the name";
    EXPECT_TRUE(after.front() != ' ' && after.back() != ' ');
}

TEST(ScenarioNotes, ForkAndBranchesKeepTheirColumns) {
    const std::vector<std::string> lines = lines_of(k_notes);
    ASSERT_EQ(lines.size(), 98u);
    // The fork's strokes close each line, except on line 55, where the right-hand stroke
    // runs on into the rule of the right branch.
    for (int i = 53; i <= 58; ++i) {
        const std::string_view ending = i == 54 ? "\\ " : i == 55 ? "\\_______" : "\\";
        EXPECT_TRUE(lines[i].ends_with(ending)) << "line " << i;
        EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), '\\'), 1) << "line " << i;
    }
    const std::string left = std::string(10, ' ') + "|- ";
    for (int i = 59; i <= 61; ++i) {
        SCOPED_TRACE("line " + std::to_string(i));
        const std::size_t right = i == 60 ? 37 : 36;
        EXPECT_EQ(lines[i].substr(0, left.size()), left);
        EXPECT_EQ(lines[i].find("|- ", left.size()), right);
        EXPECT_EQ(lines[i][right - 1], ' ');
        EXPECT_GT(lines[i].size(), right + 3);
        EXPECT_FALSE(has_lower_case(lines[i]));
    }
    const std::string hang = std::string(36, ' ') + "|- ";
    for (int i = 62; i <= 68; ++i) {
        EXPECT_EQ(lines[i].substr(0, hang.size()), hang) << "line " << i;
        EXPECT_GT(lines[i].size(), hang.size()) << "line " << i;
        EXPECT_FALSE(has_lower_case(lines[i])) << "line " << i;
    }
}

TEST(ScenarioNotes, ProseFitsAndTiesInWithTheDiagram) {
    const std::vector<std::string> lines = lines_of(k_notes);
    ASSERT_EQ(lines.size(), 98u);
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_LE(lines[i].size(), 97u) << i;
    for (const auto& [first, last] :
         {std::pair{17, 19}, {23, 27}, {29, 31}, {71, 75}, {79, 81}, {85, 91}}) {
        for (int i = first; i <= last; ++i) EXPECT_FALSE(lines[i].empty()) << "line " << i;
    }
    EXPECT_TRUE(lines[23].starts_with("Siccome nel mio primo scenario"));
    EXPECT_EQ(lines[27], "sottoterra)");
    EXPECT_TRUE(lines[71].starts_with("Limite urabano 'Cascina Telvo'"));
    EXPECT_TRUE(lines[79].starts_with("Sito web: "));
    EXPECT_TRUE(lines[80].starts_with("E-mail:   "));
    // The author's site and address stay on a domain reserved for examples.
    EXPECT_TRUE(lines[79].ends_with(".example") || lines[79].ends_with(".invalid"));
    EXPECT_TRUE(lines[80].ends_with(".example") || lines[80].ends_with(".invalid"));

    // Line 31 names the diagram's top station in lower case.
    EXPECT_EQ(lines[31],
              "linea partendo da " + lower_case(lines[33].substr(26)) + " sarebbe la seguente:");
    // Lines 29 and 30 name the two branch terminals drawn at the foot of each branch.
    const std::string named = lower_case(lines[29] + " " + lines[30]);
    for (const std::string& terminal :
         {lines[61].substr(13, lines[61].find(' ', 13) - 13), lines[68].substr(39)}) {
        EXPECT_NE(named.find(lower_case(terminal)), std::string::npos) << terminal;
    }
}

TEST(ScenarioNotes, QuotedLinesWordForWord) {
    // clang-format off
    std::vector<std::pair<int, std::string_view>> quoted = {
        {0, "Buongiorno guidatori!"},
        {2, "CARATTERISTICHE TECNICHE DEL TRATTO SIMULATO:"},
        {4, "Linea simulata    : Metropolitana zelnorese linea 2"},
        {5, "tratto simulato   : Cascina Telvo - Brunvicco (tratta in zelnor)"},
        {6, "Lunghezza percorso: 18.000 M"},
        {7, "Velocità massima  : 80 KMH"},
        {8, "N° stazioni       : 20"},
        {9, "Bivi presenti     : 0"},
        {11, "Durata percorso   : 34 MINUTI IN SERVIZIO E 0 DI MANOVRA"},
        {12, "Pendenza massima  : -25% "},
        {13, "Gallerie presenti : 1 per un totale di 15.800 M"},
        {15, "INTRO:"},
        {21, "NOTE DELLA SIMULAZIONE:"},
        {33, "                       |- BRUNVICCO"},
        {34, "                       |- ROVELO"},
        {35, "                       |- P.TA TREMIA FS"},
        {36, "                       |- S. ARVEDINO"},
        {37, "                       |- S. ANSELVIO"},
        {39, "                       |- LENVO"},
        {40, "                       |- MORSENA"},
        {41, "                       |- MORAVALDI FS"},
        {42, "                       |- GORVA"},
        {43, "                       |- CENTRALE FS"},
        {44, "                       |- CAVUZZO"},
        {45, "                       |- LORVIO"},
        {46, "                       |- PIEVO"},
        {47, "          |            |- LOSTRAVE          |"},
        {48, "          |            |- URVIO             |"},
        {49, "          --- fine tratta in sotterranea ---     "},
        {50, "                       |- VORDANO"},
        {51, "                |- TRESCIVENAGO  "},
        {52, "                       |- CASCINA TELVO"},
        {53, R"(                      / \)"},
        {54, R"(                     /   \ )"},
        {55, R"(              ______/     \_______)"},
        {56, R"(             /                    \)"},
        {57, R"(            /                      \)"},
        {58, R"(           /                        \)"},
        {77, "DATI PERSONALI"},
        {83, "AVVISO!!!:"},
        {93, "Per eventuali critiche, commenti e consigli non esitate a scrivermi"},
    };
    // clang-format on
    for (const int empty :
         {1, 3, 14, 16, 20, 22, 28, 32, 69, 70, 76, 78, 82, 84, 92, 94, 95, 96, 97}) {
        quoted.emplace_back(empty, "");
    }
    expect_quoted_lines(k_notes, quoted);
}

}  // namespace
}  // namespace scenario
