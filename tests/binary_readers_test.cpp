// Tests of the binary file readers: they must give back exactly the records the writers were
// given, and on a damaged image a fault at the right byte offset, never a read out of bounds.
#include "output/binary_readers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "output/binary_files.h"

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
    header[85].v_l = std::numeric_limits<std::int32_t>::min();
    header[86].v_nome = std::string(300, 'x');
    header[86].v_i3 = -32768;
    return header;
}

geometria sample_plan() {
    geometria plan(4);
    plan.set_integer(0, 0, 0);
    plan.set_integer(0, 1, 0);
    plan.set_integer(1, 1, -1);
    plan.set_real(2, 0, -58.54);
    plan.set_real(2, 1, -0.0);
    plan.set_real(3, 0, 1e300);
    plan.set_real(3, 1, std::numeric_limits<double>::denorm_min());
    return plan;  // metre 4 and metre 1's coordinate 0 stay empty
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
    EXPECT_EQ(decoded.value(1, 1), -1.0);
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
    const std::string bytes = serialise_testata(testata{}) + "xy";
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
    // Sizes: int(4) empty(2) real(10) real(10) empty(2) | int(4) int(4) real(10) real(10) empty(2)
    const std::string bytes = serialise_geometria(sample_plan());
    ASSERT_EQ(bytes.size(), 58u);
    std::string unknown_tag = bytes;
    unknown_tag[6] = 3;  // element 2 (metre 2, coordinate 0) starts at byte 6
    std::string odd_count = bytes.substr(0, 56);
    const damage_case cases[] = {
        {"empty file", 0, 0, "file vuoto"},
        {"half a tag", 1, 0, "elemento 0 troncato"},
        {"half an integer", 3, 2, "elemento 0 troncato: il valore richiede 2 byte, ne restano 1"},
        {"half a double", 12, 8, "elemento 2 troncato: il valore richiede 8 byte, ne restano 4"},
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
    EXPECT_EQ(status.offset, 6u);
    EXPECT_NE(status.message.find("elemento 2: tipo sconosciuto 3"), std::string::npos);
    // The tag is 16 bits wide: 0x0105 is not the double tag 5.
    std::string high_byte = bytes;
    high_byte[7] = 1;
    status = leggi_geometria(high_byte, plan);
    EXPECT_EQ(status.offset, 6u);
    EXPECT_NE(status.message.find("elemento 2: tipo sconosciuto 261"), std::string::npos)
        << status.message;
    status = leggi_geometria(odd_count, plan);
    EXPECT_EQ(status.offset, 56u);
    EXPECT_NE(status.message.find("numero di elementi 9"), std::string::npos) << status.message;
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
