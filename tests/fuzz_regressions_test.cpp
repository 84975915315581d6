// Inputs the fuzz targets (fuzz/) once found to break the readers or the compiler, kept here so
// that the ordinary suite, and its sanitizer build, catch the same fault again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/binary_files.h"
#include "output/binary_readers.h"

namespace scenario {
namespace {

std::string bytes(std::initializer_list<unsigned char> values) {
    return std::string(values.begin(), values.end());
}

// A geometry tag is 16 bits wide: a tag whose low byte alone is 0, 2 or 5 is still unknown, and
// reading it as that kind would take a damaged plan for a sound one.
TEST(FuzzRegressions, GeometryTagsAreComparedWhole) {
    struct damaged_plan {
        const char* what;
        std::string image;
        std::size_t offset;  // where the unknown tag begins
    };
    const damaged_plan cases[] = {
        // Found by readers_fuzzer: an integer, five empty elements, then tag 0x1300.
        {"tag 0x1300 after seven elements",
         bytes({2, 0, 249, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 19, 0, 0}), 14},
        {"tag 0x0100 read as empty", bytes({0, 1, 0, 0}), 0},
        {"tag 0x0102 read as integer", bytes({0, 0, 2, 1, 7, 0}), 2},
        {"tag 0xFF05 read as double", bytes({5, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 0},
    };
    for (const damaged_plan& c : cases) {
        SCOPED_TRACE(c.what);
        geometria plan;
        const read_status status = leggi_geometria(c.image, plan);
        EXPECT_FALSE(status.ok);
        EXPECT_EQ(status.offset, c.offset) << status.describe();
        EXPECT_NE(status.message.find("tipo sconosciuto"), std::string::npos) << status.describe();
        EXPECT_FALSE(plan.allocated());
    }
}

}  // namespace
}  // namespace scenario
