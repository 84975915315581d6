// Tests of the binary file readers: they must give back exactly the records the writers were
// given, and on a damaged image a fault at the right byte offset, never a read out of bounds.
#include "output/binary_readers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>

#include "compile/description_source.h"
#include "base/identity_codes.h"
#include "compile/line_geometry.h"
#include "base/positions.h"
#include "describe/descriptions.h"
#include "base/fixed_text.h"
#include "line_text.h"
#include "output/binary_files.h"
#include "run/run_sequence.h"

namespace scenario {
namespace {

celle sample_cells() {
    celle cells(6);
    cells[1] = {0, 5121, 2389, 0, 0, 0, 0, 0, 16, 100, 100};
    cells[2] = {10, 1, 0, 0, 0, 0, 0, 1, 16, 100, 100};
    cells[3] = {1, 32, 11, -32768, 32767, 230, 81, 2, 255, 75, 0};
    cells[5] = {14, -1, -2, -3, -4, 255, 255, 255, 255, 255, 255};
    return cells;
}

testata sample_header() {
    testata header;
    header[1] = {12, -150, 150, 0, 1, "Cascina Telvo", 1, 1, 4, 1, 1, 0, 1, 2, 3, 23400};
    header[80].v_nome = "(INIZIO TRATTA)";
    header[85].v_nome = "Metr\xF2 2 - Zelnor";  // Windows-1252 bytes, as the compiler stores it
    header[85].v_i1 = k_header_marker;
    header[85].v_l = std::numeric_limits<std::int32_t>::min();
    header[86].v_nome = std::string(300, 'x');
    header[86].v_i3 = -32768;
    return header;
}

// Seeded, traced to metre 3 with doubles a trace never gives but a file may hold; metre 4 empty.
geometria sample_plan() {
    geometria plan(4);
    seed_geometry(plan);
    plan.set_real(2, 0, -58.54);
    plan.set_real(2, 1, -0.0);
    plan.set_real(3, 0, 1e300);
    plan.set_real(3, 1, std::numeric_limits<double>::denorm_min());
    return plan;
}

bool same_plan(const geometria& a, const geometria& b) {
    if (a.last_metre() != b.last_metre() || a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a.kind_at(i) != b.kind_at(i)) return false;
        if (std::signbit(a.value_at(i)) != std::signbit(b.value_at(i))) return false;
        if (a.value_at(i) != b.value_at(i)) return false;
    }
    return true;
}

TEST(BinaryReaders, CellsDecodeToTheWrittenRecordsAndEncodeAgainToTheSameBytes) {
    const celle original = sample_cells();
    const std::string bytes = serialise_celle(original);
    celle decoded;
    const read_status status = leggi_celle(bytes, decoded);
    ASSERT_TRUE(status.ok) << status.describe();
    EXPECT_EQ(decoded, original);
    EXPECT_EQ(serialise_celle(decoded), bytes);
}

TEST(BinaryReaders, HeaderDecodesToTheWrittenRecordsAndEncodesAgainToTheSameBytes) {
    const testata original = sample_header();
    const std::string bytes = serialise_testata(original);
    testata decoded;
    const read_status status = leggi_testata(bytes, decoded);
    ASSERT_TRUE(status.ok) << status.describe();
    EXPECT_EQ(decoded, original);
    EXPECT_EQ(serialise_testata(decoded), bytes);
}

TEST(BinaryReaders, GeometryKeepsTagsAndExactDoubles) {
    const geometria original = sample_plan();
    const std::string bytes = serialise_geometria(original);
    geometria decoded;
    const read_status status = leggi_geometria(bytes, decoded);
    ASSERT_TRUE(status.ok) << status.describe();
    EXPECT_EQ(decoded.last_metre(), 4);
    EXPECT_TRUE(same_plan(decoded, original));
    EXPECT_EQ(decoded.kind(1, 1), geometria::tag::integer);
    EXPECT_EQ(decoded.value(1, 1), 1.0);
    EXPECT_EQ(decoded.kind(4, 0), geometria::tag::empty);
    EXPECT_EQ(serialise_geometria(decoded), bytes);
}

TEST(BinaryReaders, AFailedReadLeavesTheRecordUntouched) {
    celle cells(3);
    cells[2].val1 = 7;
    EXPECT_FALSE(leggi_celle(std::string(20, '\0'), cells).ok);
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(cells[2].val1, 7);
}

// Offsets of the sample header: entry 0 is empty (34 bytes), entry 1 starts at 34 and names
// "Cascina Telvo" (13 bytes), so its name starts at 34 + 16 = 50 and its tail at 63.
struct damage_case {
    const char* what;
    std::size_t keep;     // bytes of the image kept
    std::size_t offset;   // where the reader must report the fault
    const char* message;  // a piece of the message
};

TEST(BinaryReaders, TruncatedHeaderNamesTheOffsetOfTheBrokenPart) {
    const std::string bytes = serialise_testata(sample_header());
    const damage_case cases[] = {
        {"empty file", 0, 0, "voce 0 troncata"},
        {"entry 0 head", 10, 0, "voce 0 troncata: servono 16 byte prima del nome, ne restano 10"},
        {"entry 0 tail", 20, 16, "voce 0 troncata dopo il nome: servono 18 byte, ne restano 4"},
        {"entry 1 head", 34 + 15, 34, "voce 1 troncata"},
        {"entry 1 name", 34 + 16 + 5, 50, "nome della voce 1 troncato"},
        {"entry 1 tail", 63 + 17, 63, "voce 1 troncata dopo il nome"},
        {"last byte", bytes.size() - 1, bytes.size() - 1 - 17, "voce 86 troncata dopo il nome"},
    };
    for (const damage_case& c : cases) {
        SCOPED_TRACE(c.what);
        testata header;
        const read_status status = leggi_testata(std::string_view(bytes).substr(0, c.keep), header);
        ASSERT_FALSE(status.ok);
        EXPECT_EQ(status.offset, c.offset);
        EXPECT_NE(status.message.find(c.message), std::string::npos) << status.message;
        EXPECT_EQ(status.describe().rfind("byte " + std::to_string(c.offset) + ": ", 0), 0u);
    }
}

TEST(BinaryReaders, HeaderWithBytesAfterEntry86IsRefused) {
    testata marked;
    marked[k_entry_linea].v_i1 = k_header_marker;
    const std::string bytes = serialise_testata(marked) + "xy";
    testata header;
    const read_status status = leggi_testata(bytes, header);
    ASSERT_FALSE(status.ok);
    EXPECT_EQ(status.offset, 87u * 34u);
    EXPECT_NE(status.message.find("2 byte in più"), std::string::npos) << status.message;
}

TEST(BinaryReaders, CellFileOfWrongSizeNamesTheTruncatedCell) {
    const std::string bytes = serialise_celle(celle(581));
    ASSERT_EQ(bytes.size(), 8715u);
    const damage_case cases[] = {
        {"empty file", 0, 0, "file vuoto"},
        {"one byte", 1, 0, "cella 0 troncata"},
        {"last cell short", 8714, 8700, "cella 580 troncata: 14 byte su 15"},
        {"one byte more", 8715 + 1, 8715, "cella 581 troncata: 1 byte su 15"},
    };
    for (const damage_case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string image = bytes.substr(0, std::min(c.keep, bytes.size()));
        image.resize(c.keep, '\0');
        celle cells;
        const read_status status = leggi_celle(image, cells);
        ASSERT_FALSE(status.ok);
        EXPECT_EQ(status.offset, c.offset);
        EXPECT_NE(status.message.find(c.message), std::string::npos) << status.message;
    }
}

TEST(BinaryReaders, DamagedGeometryNamesTheBrokenElement) {
    // Elements of the sample in file order: coordinate 0 of metres 0..4, then coordinate 1.
    // Sizes: int(4) int(4) real(10) real(10) empty(2) | the same again
    const std::string bytes = serialise_geometria(sample_plan());
    ASSERT_EQ(bytes.size(), 60u);
    std::string unknown_tag = bytes;
    unknown_tag[8] = 3;  // element 2 (metre 2, coordinate 0) starts at byte 8
    std::string odd_count = bytes.substr(0, 58);
    const damage_case cases[] = {
        {"empty file", 0, 0, "file vuoto"},
        {"half a tag", 1, 0, "elemento 0 troncato"},
        {"half an integer", 3, 2, "elemento 0 troncato: il valore richiede 2 byte, ne restano 1"},
        {"half a double", 14, 10, "elemento 2 troncato: il valore richiede 8 byte, ne restano 4"},
    };
    for (const damage_case& c : cases) {
        SCOPED_TRACE(c.what);
        geometria plan;
        const read_status status = leggi_geometria(std::string_view(bytes).substr(0, c.keep), plan);
        ASSERT_FALSE(status.ok);
        EXPECT_EQ(status.offset, c.offset);
        EXPECT_NE(status.message.find(c.message), std::string::npos) << status.message;
        EXPECT_FALSE(plan.allocated());
    }
    geometria plan;
    read_status status = leggi_geometria(unknown_tag, plan);
    EXPECT_EQ(status.offset, 8u);
    EXPECT_NE(status.message.find("elemento 2: tipo sconosciuto 3"), std::string::npos);
    // The tag is 16 bits wide: 0x0105 is not the double tag 5.
    std::string high_byte = bytes;
    high_byte[9] = 1;
    status = leggi_geometria(high_byte, plan);
    EXPECT_EQ(status.offset, 8u);
    EXPECT_NE(status.message.find("elemento 2: tipo sconosciuto 261"), std::string::npos)
        << status.message;
    status = leggi_geometria(odd_count, plan);
    EXPECT_EQ(status.offset, 58u);
    EXPECT_NE(status.message.find("numero di elementi 9"), std::string::npos) << status.message;
}

// --- what a compile can write -------------------------------------------------------------------

enum class image_kind { header, cells, geometry };

read_status read_image(image_kind kind, std::string_view image) {
    switch (kind) {
        case image_kind::header: {
            testata header;
            return leggi_testata(image, header);
        }
        case image_kind::cells: {
            celle cells;
            return leggi_celle(image, cells);
        }
        case image_kind::geometry:
            break;
    }
    geometria plan;
    return leggi_geometria(image, plan);
}

// The three files of a compile in memory, as a run would write them.
struct compiled_files {
    std::int32_t code;
    std::string header, cells, plan;
};

compiled_files compile_texts(const std::string& line, const std::string& train) {
    run_state state = testing::named_state(1);
    memory_descriptions texts(line, train);
    const compile_outcome outcome = compila_scenario(state, 1, texts);
    EXPECT_TRUE(outcome.writes_files());
    return {state.codice_errore, serialise_testata(state.testata), serialise_celle(state.celle),
            serialise_geometria(state.geometria)};
}

const compiled_files& program_files() {
    static const compiled_files files = [] {
        std::int32_t indice = 0;
        return compile_texts(testing::program_line_text(),
                             render_fixed_text(train_description_table(), indice));
    }();
    return files;
}

// Every compile that writes files writes them so that they read back whole and agree with each
// other: early stops, a curve to the last metre, the longest route and its trace limit.
TEST(BinaryReaders, EveryCompileWritesFilesThatReadBack) {
    const std::string longest = "[generale]\r\nlunghezza percorso, 1000000\r\n[curve]\r\n";
    const std::string no_train(testing::k_empty_train_text);
    struct compile_case {
        const char* what;
        std::string line;
        std::int32_t code;
    };
    const compile_case cases[] = {
        {"stopped before the geometry was seeded",
         testing::small_line({},
                             {"lunghezza percorso, 1000", "ripetizione segnali 4 codici, 25, 0"}),
         3},
        {"stopped before any point was traced",
         testing::small_line(
             {"indicatori_vmax, 400, 80, 80, 80, 0, , , , 0", "cartello_indicatore, 400, (TESTO)"}),
         6},
        {"a curve traced to the last metre", testing::small_line({"curvad1, 7000, 5000"}), 0},
        {"the longest route", longest + "[fine]\r\n", 0},
        {"a curve stopped at point 1000000", longest + "curvad1, 999000, 2000\r\n[fine]\r\n", 103},
        {"a later route length above the longest",
         testing::small_line({}, {"lunghezza percorso, 1000", "lunghezza percorso, 1000001"}), 1},
        {"a later negative route length",
         testing::small_line({}, {"lunghezza percorso, 1000", "lunghezza percorso, -5"}), 25},
    };
    const auto check = [](const compiled_files& files) {
        testata header;
        celle cells;
        geometria plan;
        const read_status statuses[] = {leggi_testata(files.header, header),
                                        leggi_celle(files.cells, cells),
                                        leggi_geometria(files.plan, plan)};
        for (const read_status& status : statuses) EXPECT_TRUE(status.ok) << status.describe();
        const read_status agree = verifica_celle_con_testata(cells.size(), header);
        EXPECT_TRUE(agree.ok) << agree.describe();
        EXPECT_EQ(serialise_testata(header), files.header);
        EXPECT_EQ(serialise_celle(cells), files.cells);
        EXPECT_EQ(serialise_geometria(plan), files.plan);
    };
    {
        SCOPED_TRACE("the program's own texts");
        EXPECT_EQ(program_files().code, 0);
        check(program_files());
    }
    for (const compile_case& c : cases) {
        SCOPED_TRACE(c.what);
        const compiled_files files = compile_texts(c.line, no_train);
        EXPECT_EQ(files.code, c.code);
        check(files);
    }
}

// Every compile that writes the header table and the cell file stamps their markers, so files of
// the right size that hold nothing are refused; a geometry that holds nothing is the one of a
// compile that stopped before seeding it.
TEST(BinaryReaders, ZeroFilledFilesOfTheRightSize) {
    struct zero_case {
        const char* what;
        image_kind kind;
        std::size_t size;
        std::optional<std::size_t> offset;  // none: accepted
        const char* message;
    };
    const zero_case cases[] = {
        {"header table", image_kind::header, 87 * k_entry_fixed_size, 85 * k_entry_fixed_size + 16,
         "voce 85: marcatore 0 invece di 610"},
        {"cells", image_kind::cells, 581 * k_cell_size, k_cell_size + 1,
         "cella 1: marcatore 0 invece di 5121"},
        {"cell 0 alone", image_kind::cells, k_cell_size, k_cell_size,
         "manca la cella 1, che porta il marcatore 5121"},
        {"geometry", image_kind::geometry, 2 * 58002, std::nullopt, ""},
    };
    for (const zero_case& c : cases) {
        SCOPED_TRACE(c.what);
        const read_status status = read_image(c.kind, std::string(c.size, '\0'));
        ASSERT_EQ(status.ok, !c.offset) << status.describe();
        if (!c.offset) continue;
        EXPECT_EQ(status.offset, *c.offset);
        EXPECT_NE(status.message.find(c.message), std::string::npos) << status.message;
    }
    geometria plan;
    ASSERT_TRUE(leggi_geometria(std::string(2 * 58002, '\0'), plan).ok);
    EXPECT_EQ(plan.last_metre(), 29000);
    for (std::size_t i = 0; i < plan.size(); ++i) {
        ASSERT_EQ(plan.kind_at(i), geometria::tag::empty) << i;
    }
}

// The longest route gives 20141 cells and 2 x 1007001 geometry elements. One more is refused at
// the first byte past them, after a walk that keeps nothing: 100 MB of zeros read as a geometry
// stop the walk at byte 4028004.
TEST(BinaryReaders, FilesLargerThanTheLongestRouteAreRefusedWhereTheyPassIt) {
    const std::size_t max_cells = static_cast<std::size_t>(route_last_cell(k_max_route_length)) + 1;
    const std::size_t max_elements =
        2 * (static_cast<std::size_t>(route_last_metre(k_max_route_length)) + 1);
    ASSERT_EQ(max_cells, 20141u);
    ASSERT_EQ(max_elements, 2014002u);
    const auto marked_cells = [](std::size_t count) {
        celle cells(count);
        cells[1].val1 = k_cell_marker;
        return serialise_celle(cells);
    };
    struct size_case {
        const char* what;
        image_kind kind;
        std::string image;
        std::optional<std::size_t> offset;  // none: accepted
        const char* message;
    };
    const size_case cases[] = {
        {"cells of the longest route", image_kind::cells, marked_cells(max_cells), std::nullopt,
         ""},
        {"one cell more", image_kind::cells, marked_cells(max_cells + 1), max_cells * k_cell_size,
         "20142 celle: il percorso più lungo (1000000 m) ne ha 20141, da 0 a 20140"},
        {"geometry of the longest route", image_kind::geometry, std::string(2 * max_elements, '\0'),
         std::nullopt, ""},
        {"two elements more", image_kind::geometry, std::string(2 * max_elements + 4, '\0'),
         2 * max_elements, "elemento 2014002 di troppo"},
        {"100 MB of zeros", image_kind::geometry, std::string(100000000, '\0'), 2 * max_elements,
         "elemento 2014002 di troppo: il percorso più lungo (1000000 m più 7000 m oltre la fine) "
         "ha 2014002 elementi"},
    };
    for (const size_case& c : cases) {
        SCOPED_TRACE(c.what);
        const read_status status = read_image(c.kind, c.image);
        ASSERT_EQ(status.ok, !c.offset) << status.describe();
        if (!c.offset) continue;
        EXPECT_EQ(status.offset, *c.offset);
        EXPECT_NE(status.message.find(c.message), std::string::npos) << status.message;
    }
}

// Metres 0 to `last` as the line pass leaves them: seeded, then traced straight to `traced`.
geometria traced_plan(std::int32_t last, std::int32_t traced) {
    geometria plan(last);
    seed_geometry(plan);
    for (std::int32_t m = 2; m <= traced; ++m) {
        plan.set_real(m, 0, 0.0);
        plan.set_real(m, 1, m);
    }
    return plan;
}

template <typename Change>
geometria changed(geometria plan, Change change) {
    change(plan);
    return plan;
}

// The shapes the line pass leaves, and one change of each that no compile makes. Small plans
// have metres 0 to 9 traced to 6; their halves take 64 bytes: integers at 0 and 4, doubles of
// metres 2 to 6 from byte 8 on, 10 bytes each, empty metres 7 to 9 at 58, 60, 62.
TEST(BinaryReaders, GeometryHasTheShapeTheLinePassLeaves) {
    const std::int32_t longest = route_last_metre(k_max_route_length);
    const std::int32_t shorter = route_last_metre(993003);  // 1000003
    struct shape_case {
        const char* what;
        std::function<geometria()> plan;
        std::optional<std::size_t> offset;  // none: accepted
        const char* message;
    };
    const shape_case cases[] = {
        {"traced to metre 6", [] { return traced_plan(9, 6); }, std::nullopt, ""},
        {"traced to the last metre by a curve", [] { return traced_plan(9, 9); }, std::nullopt, ""},
        {"seeded, nothing traced", [] { return traced_plan(9, 1); }, std::nullopt, ""},
        {"never seeded", [] { return geometria(9); }, std::nullopt, ""},
        {"a seed changed",
         [] { return changed(traced_plan(9, 6), [](geometria& g) { g.set_integer(1, 1, 2); }); },
         64 + 4, "elemento 11, metro 1 della coordinata 1: un intero (2) invece dell'intero 1"},
        {"a seed held as a double",
         [] { return changed(traced_plan(9, 6), [](geometria& g) { g.set_real(0, 0, 0.0); }); }, 0,
         "metro 0 della coordinata 0: un reale, ma la geometria comincia con gli interi"},
        {"an integer past the seeds",
         [] { return changed(traced_plan(9, 6), [](geometria& g) { g.set_integer(4, 0, 4); }); },
         28, "metro 4 della coordinata 0: un intero (4) oltre i due punti iniziali"},
        {"a gap in the trace",
         [] { return changed(traced_plan(9, 6), [](geometria& g) { g.set_real(8, 0, 1.0); }); }, 60,
         "metro 8 della coordinata 0: un reale dopo il metro vuoto 7"},
        {"coordinate 1 traced further",
         [] { return changed(traced_plan(9, 6), [](geometria& g) { g.set_real(7, 1, 7.0); }); },
         64 + 58,
         "metro 7 della coordinata 1: un reale, ma la coordinata 0 è tracciata fino al "
         "metro 6"},
        {"coordinate 1 traced less",
         [] { return changed(traced_plan(9, 5), [](geometria& g) { g.set_real(6, 0, 0.0); }); },
         64 + 48,
         "metro 6 della coordinata 1: vuoto, ma la coordinata 0 è tracciata fino al "
         "metro 6"},
        {"only coordinate 0 seeded",
         [] {
             return changed(geometria(9), [](geometria& g) {
                 g.set_integer(0, 0, 0);
                 g.set_integer(1, 0, 0);
             });
         },
         24, "metro 0 della coordinata 1: vuoto invece dell'intero 0 del punto iniziale"},
        {"a point in a plan never seeded",
         [] { return changed(geometria(9), [](geometria& g) { g.set_real(3, 1, 3.0); }); }, 26,
         "metro 3 della coordinata 1: un reale, ma il metro 0 è vuoto"},
        {"longest route, completed", [&] { return traced_plan(longest, longest - 2); },
         std::nullopt, ""},
        {"longest route, a curve stopped at point 1000000",
         [&] { return traced_plan(longest, 1000000); }, std::nullopt, ""},
        {"longest route, traced one point past 1000000",
         [&] { return traced_plan(longest, 1000001); }, 8 + 10 * 1000000,
         "metro 1000002 della coordinata 0: vuoto, ma il tracciato oltre il punto 1000000 arriva "
         "sempre al metro 1006998"},
        {"a curve past point 1000000 to the last metre",
         [&] { return traced_plan(shorter, shorter); }, 8 + 10 * 1000000,
         "metro 1000002 della coordinata 0: un reale, ma il tracciato oltre il punto 1000000 si "
         "ferma al metro 1000001"},
    };
    for (const shape_case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string image = serialise_geometria(c.plan());
        geometria plan;
        const read_status status = leggi_geometria(image, plan);
        ASSERT_EQ(status.ok, !c.offset) << status.describe();
        if (!c.offset) {
            EXPECT_EQ(serialise_geometria(plan), image);
            continue;
        }
        EXPECT_EQ(status.offset, *c.offset);
        EXPECT_NE(status.message.find(c.message), std::string::npos) << status.message;
        EXPECT_FALSE(plan.allocated());
    }
}

// The program's plan (metres 0 to 29000, traced to 28998) cut short: 2 bytes take one empty
// element off, 4 bytes two, and the two halves then split one metre early, so coordinate 1
// starts at the empty metre 29000 of coordinate 0.
TEST(BinaryReaders, CutGeometryOfTheProgramIsRefused) {
    const std::string& bytes = program_files().plan;
    const damage_case cases[] = {
        {"2 bytes off", bytes.size() - 2, bytes.size() - 2, "numero di elementi 58001"},
        {"4 bytes off", bytes.size() - 4, 8 + 10 * 28997 + 2,
         "elemento 29000, metro 0 della coordinata 1: vuoto invece dell'intero 0"},
    };
    for (const damage_case& c : cases) {
        SCOPED_TRACE(c.what);
        geometria plan;
        const read_status status = leggi_geometria(std::string_view(bytes).substr(0, c.keep), plan);
        ASSERT_FALSE(status.ok);
        EXPECT_EQ(status.offset, c.offset);
        EXPECT_NE(status.message.find(c.message), std::string::npos) << status.message;
    }
}

// n_celle = nearest((route length + 7000) / 50), halves to even: 7025 / 50 = 140.5 gives 140,
// 7075 / 50 = 141.5 gives 142. A length the compile stops at sizes nothing.
TEST(BinaryReaders, CellCountFollowsTheRouteLengthOfTheHeader) {
    struct length_case {
        std::int32_t route_length;
        std::size_t cells;
        std::optional<std::size_t> offset;  // none: they agree
    };
    const length_case cases[] = {
        {22000, 581, std::nullopt},      {22000, 580, 580 * k_cell_size},
        {22000, 582, 581 * k_cell_size}, {0, 141, std::nullopt},
        {25, 141, std::nullopt},         {75, 143, std::nullopt},
        {75, 142, 142 * k_cell_size},    {1000000, 20141, std::nullopt},
        {1000001, 161, std::nullopt},    {-5, 161, std::nullopt},
    };
    for (const length_case& c : cases) {
        SCOPED_TRACE(std::to_string(c.route_length) + " m, " + std::to_string(c.cells) + " cells");
        testata header;
        header[k_entry_treno].v_b = c.route_length;
        const read_status status = verifica_celle_con_testata(c.cells, header);
        ASSERT_EQ(status.ok, !c.offset) << status.describe();
        if (c.offset) EXPECT_EQ(status.offset, *c.offset);
    }
    testata header;
    header[k_entry_treno].v_b = 22000;
    EXPECT_EQ(verifica_celle_con_testata(580, header).message,
              "580 celle, ma la lunghezza del percorso nella testata (voce 84, 22000 m) ne dà "
              "581, da 0 a 580");
}

// Every prefix of a valid image and every single-byte change of it must end in ok or a fault with
// an offset inside the image; the sanitizer build turns any stray read into a failure here.
TEST(BinaryReaders, EveryPrefixAndEveryByteChangeIsHandled) {
    const std::string images[] = {serialise_testata(sample_header()),
                                  serialise_celle(sample_cells()),
                                  serialise_geometria(sample_plan())};
    const auto check = [](std::size_t which, std::string_view image) {
        read_status status;
        if (which == 0) {
            testata header;
            status = leggi_testata(image, header);
        } else if (which == 1) {
            celle cells;
            status = leggi_celle(image, cells);
        } else {
            geometria plan;
            status = leggi_geometria(image, plan);
        }
        if (!status.ok) {
            EXPECT_LE(status.offset, image.size());
        }
        return status.ok;
    };
    for (std::size_t which = 0; which < 3; ++which) {
        const std::string& image = images[which];
        EXPECT_TRUE(check(which, image));
        for (std::size_t keep = 0; keep < image.size(); ++keep) {
            const bool ok = check(which, std::string_view(image).substr(0, keep));
            // A shorter header or a cell file cut inside a cell can never be whole.
            if (which == 0 || (which == 1 && keep % k_cell_size != 0)) {
                EXPECT_FALSE(ok) << keep;
            }
        }
        for (std::size_t at = 0; at < image.size(); ++at) {
            std::string damaged = image;
            damaged[at] = static_cast<char>(damaged[at] ^ 0xFF);
            check(which, damaged);
        }
    }
}

}  // namespace
}  // namespace scenario
