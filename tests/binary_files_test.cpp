#include "output/binary_files.h"

#include <gtest/gtest.h>

#include "base/little_endian.h"
#include "base/scenario_files.h"
#include "base/windows1252.h"
#include "compile/compiler.h"
#include "compile/description_source.h"
#include "platform/platform.h"
#include "testkit/synthetic_scenario.h"
#include "testkit/test_support.h"

namespace scenario {
namespace {

std::uint8_t byte_at(const std::string& bytes, std::size_t offset) {
    return static_cast<std::uint8_t>(bytes.at(offset));
}

TEST(LittleEndian, LeastSignificantByteFirst) {
    std::string out;
    le::put_u32(out, 0x04030201);
    le::put_i16(out, -2);
    le::put_f64(out, 1.0);
    const std::string expected("\x01\x02\x03\x04\xFE\xFF\x00\x00\x00\x00\x00\x00\xF0\x3F", 14);
    EXPECT_EQ(out, expected);
    EXPECT_EQ(le::get_u32(out.data()), 0x04030201u);
    EXPECT_EQ(le::get_i16(out.data() + 4), -2);
    EXPECT_EQ(le::get_f64(out.data() + 6), 1.0);
}

TEST(LittleEndian, StoresAreThePuts) {
    std::string put;
    le::put_u8(put, 0xA5);
    le::put_u16(put, 0xBEEF);
    le::put_i16(put, -2);
    le::put_u32(put, 0x04030201);
    le::put_i32(put, -150);
    le::put_u64(put, 0x0807060504030201);
    le::put_f64(put, -58.54);
    char stored[1 + 2 + 2 + 4 + 4 + 8 + 8];
    char* p = stored;
    p = le::store_u8(p, 0xA5);
    p = le::store_u16(p, 0xBEEF);
    p = le::store_i16(p, -2);
    p = le::store_u32(p, 0x04030201);
    p = le::store_i32(p, -150);
    p = le::store_u64(p, 0x0807060504030201);
    p = le::store_f64(p, -58.54);
    ASSERT_EQ(p, stored + sizeof stored);
    EXPECT_EQ(std::string(stored, sizeof stored), put);
}

TEST(CellFile, FifteenBytesWithEveryFieldAtItsOffset) {
    celle cells(2);
    cells[1] = {.tipo_cella = 1,
                .val1 = 0x0102,
                .val2 = -1,
                .val3 = 0x0304,
                .val4 = 0x0506,
                .tempo_segnale = 7,
                .preavviso = 8,
                .sfondo = 9,
                .vel_limite = 10,
                .pendenza = 11,
                .aderenza = 12};
    const std::string bytes = serialise_celle(cells);
    ASSERT_EQ(bytes.size(), 30u);
    EXPECT_EQ(bytes.substr(0, 15), std::string(15, '\0'));
    const std::uint8_t expected[15] = {1,    0x02, 0x01, 0xFF, 0xFF, 0x04, 0x03, 0x06,
                                       0x05, 7,    8,    9,    10,   11,   12};
    for (std::size_t i = 0; i < 15; ++i) EXPECT_EQ(byte_at(bytes, 15 + i), expected[i]) << i;
}

TEST(HeaderTableFile, EntryOf34PlusLBytesWithEveryFieldAtItsOffset) {
    testata header;
    voce& v = header[1];
    v = {.v_tipo = 12,
         .v_a = -150,
         .v_b = 0x01020304,
         .v_c = 7,
         .v_flag = 1,
         .v_nome = "abc",
         .v_i1 = 1,
         .v_i2 = 2,
         .v_i3 = 3,
         .v_i4 = 4,
         .v_i5 = -5,
         .v_b1 = 6,
         .v_b2 = 7,
         .v_b3 = 8,
         .v_b4 = 9,
         .v_l = 23400};
    const std::string bytes = serialise_testata(header);
    ASSERT_EQ(bytes.size(), 87u * 34u + 3u);
    const char* e = bytes.data() + 34;  // entry 0 is empty: 34 bytes
    EXPECT_EQ(le::get_u8(e + 0), 12);
    EXPECT_EQ(le::get_i32(e + 1), -150);
    EXPECT_EQ(le::get_i32(e + 5), 0x01020304);
    EXPECT_EQ(le::get_i32(e + 9), 7);
    EXPECT_EQ(le::get_u8(e + 13), 1);
    EXPECT_EQ(le::get_u16(e + 14), 3);
    EXPECT_EQ(std::string(e + 16, 3), "abc");
    const int L = 3;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(le::get_i16(e + 16 + L + 2 * i), i + 1);
    EXPECT_EQ(le::get_i16(e + 24 + L), -5);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(le::get_u8(e + 26 + L + i), 6 + i);
    EXPECT_EQ(le::get_i32(e + 30 + L), 23400);
}

TEST(HeaderTableFile, EmptyTableIs87Times34Bytes) {
    EXPECT_EQ(serialise_testata(testata{}).size(), 2958u);
}

TEST(HeaderTableFile, LongNameCountIsLittleEndian) {
    testata header;
    header[5].v_nome = std::string(300, 'x');
    const std::string bytes = serialise_testata(header);
    const std::size_t offset = 5 * 34 + 14;
    EXPECT_EQ(byte_at(bytes, offset), 44);
    EXPECT_EQ(byte_at(bytes, offset + 1), 1);
    EXPECT_EQ(bytes.substr(offset + 2, 300), std::string(300, 'x'));
    EXPECT_EQ(bytes.size(), 2958u + 300u);
}

TEST(Windows1252, AccentedAndUnmappedCharacters) {
    const std::pair<const char*, std::string> cases[] = {
        {"Metrò", "Metr\xF2"},
        {"€ è à ù °", "\x80 \xE8 \xE0 \xF9 \xB0"},
        {"日本", "??"},
        {"a\xFF"
         "b",
         "a?b"},  // malformed UTF-8
    };
    for (const auto& [utf8, expected] : cases) EXPECT_EQ(to_windows1252(utf8), expected) << utf8;
    EXPECT_EQ(from_windows1252("Metr\xF2"), "Metrò");
    EXPECT_EQ(lower_windows1252(0xD2), 0xF2);  // Ò -> ò
    EXPECT_EQ(lower_windows1252(0xD7), 0xD7);  // × has no lower case
}

TEST(GeometryFile, ThreeTagsWithTheirPayloads) {
    geometria plan(2);  // metres 0 to 2
    plan.set_integer(0, 0, 0);
    plan.set_integer(1, 1, 1);
    plan.set_real(2, 1, -58.5);
    const std::string bytes = serialise_geometria(plan);
    // Coordinate 0 of metres 0..2: int, empty, empty; coordinate 1: empty, int, double.
    std::string expected;
    le::put_u16(expected, 2);
    le::put_i16(expected, 0);
    le::put_u16(expected, 0);
    le::put_u16(expected, 0);
    le::put_u16(expected, 0);
    le::put_u16(expected, 2);
    le::put_i16(expected, 1);
    le::put_u16(expected, 5);
    le::put_f64(expected, -58.5);
    EXPECT_EQ(bytes, expected);
}

TEST(ReplaceFile, LongerEarlierFileLeavesNoTrailingBytes) {
    testing::scratch_directory dir;
    const auto file = dir.path() / "x.dat";
    testing::write_bytes(file, std::string(1000, 'o'));
    platform::replace_file(file, "new", platform::file_life::lasting);
    EXPECT_EQ(testing::read_bytes(file), "new");
    EXPECT_EQ(testing::file_names(dir.path()), std::vector<std::string>{"x.dat"});
}

TEST(ReplaceFile, FailureNamesTheFileAndLeavesNoTemporary) {
    testing::scratch_directory dir;
    // A directory standing where the file should go: the final rename cannot replace it.
    const auto file = dir.path() / "taken.dat";
    std::filesystem::create_directory(file);
    try {
        platform::replace_file(file, "bytes", platform::file_life::lasting);
        FAIL() << "no error";
    } catch (const platform::file_error& e) {
        EXPECT_NE(std::string(e.what()).find("taken.dat"), std::string::npos) << e.what();
    }
    EXPECT_EQ(testing::file_names(dir.path()), std::vector<std::string>{"taken.dat"});
}

TEST(BinaryFiles, WrittenUnderTheScenarioNames) {
    testing::scratch_directory dir;
    run_state state = testing::state_in(dir.path());
    state.crea_geometria = 1;
    state.celle.resize(581);
    state.geometria = geometria(29000);
    scrivi_file_binari(state, directory_flush::here);
    EXPECT_EQ(testing::file_names(dir.path()),
              (std::vector<std::string>{"Metrò 2 - Zelnor_26BRUNVICCO.dat",
                                        "Metrò 2 - Zelnor_26BRUNVICCO.sim",
                                        "Metrò 2 - Zelnor_linea.dat"}));
    EXPECT_EQ(std::filesystem::file_size(scenario_file(state, file_kind::cells)), 8715u);
}

// The largest route the format allows: its geometry and cell files are encoded and written in
// many pieces, and make the very files their whole images are; the traced geometry's image is
// that of its table.
TEST(BinaryFiles, LargestRouteWrittenPieceByPieceMakesTheWholeImages) {
    const synthetic_texts texts = make_synthetic_scenario(synthetic_size{});
    testing::scratch_directory dir;
    run_state state = testing::state_in(dir.path());
    memory_descriptions source(texts.line, texts.train);
    ASSERT_TRUE(compila_scenario(state, 1, source).writes_files());
    ASSERT_EQ(state.codice_errore, 0);
    scrivi_file_binari(state, directory_flush::here);

    const std::string cells = serialise_celle(state.celle);
    EXPECT_GT(cells.size(), std::size_t{256} << 10);  // more than one piece
    EXPECT_EQ(testing::read_bytes(scenario_file(state, file_kind::cells)), cells);
    EXPECT_EQ(testing::read_bytes(scenario_file(state, file_kind::header_table)),
              serialise_testata(state.testata));
    const std::string geometry = serialise_geometria(state.geometria);
    // Each coordinate: the two seed integers, doubles up to lunghezza_dim - 2, two empty metres.
    const auto doubles = static_cast<std::size_t>(state.lunghezza_dim - 3);
    EXPECT_EQ(geometry.size(), 2 * (2 * 4 + doubles * 10 + 2 * 2));
    EXPECT_TRUE(testing::read_bytes(scenario_file(state, file_kind::line_geometry)) == geometry);
    geometria table = state.geometria;
    EXPECT_EQ(table.value(2, 0), 0.0);  // reading a traced value builds the table
    EXPECT_TRUE(serialise_geometria(table) == geometry);
}

TEST(BinaryFiles, WithoutGeometryTheEarlierGeometryFileStays) {
    testing::scratch_directory dir;
    run_state state = testing::state_in(dir.path());
    const auto geometry = scenario_file(state, file_kind::line_geometry);
    testing::write_bytes(geometry, "earlier");
    state.crea_geometria = 0;
    state.celle.resize(3);
    scrivi_file_binari(state, directory_flush::here);
    EXPECT_EQ(testing::read_bytes(geometry), "earlier");
}

}  // namespace
}  // namespace scenario
