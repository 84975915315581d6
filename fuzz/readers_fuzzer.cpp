// libFuzzer target over the three binary readers (fuzz_input.h: the first byte picks the
// reader). A reader accepts exactly the images the serialisers write, so an accepted image must
// serialise back to the very same bytes, and a refused one must name an offset inside it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "output/binary_files.h"
#include "output/binary_readers.h"

namespace scenario::fuzz {
namespace {

void require(bool condition, const char* what, const read_status& status) {
    if (condition) return;
    std::fprintf(stderr, "readers_fuzzer: %s (%s)\n", what, status.describe().c_str());
    std::abort();
}

// An accepted image re-encodes to itself; a refused one names a place within (or just past) it.
void check(const read_status& status, std::string_view image, const std::string& reencoded) {
    if (status.ok) {
        require(reencoded == image, "accepted image re-encodes to other bytes", status);
    } else {
        require(status.offset <= image.size(), "fault offset beyond the image", status);
        require(!status.message.empty(), "fault without a message", status);
    }
}

void read_one(std::string_view data) {
    if (data.empty()) return;
    const auto kind = static_cast<reader_kind>(static_cast<std::uint8_t>(data.front()) % 3);
    const std::string_view image = data.substr(1);
    switch (kind) {
        case reader_kind::cells: {
            celle cells;
            const read_status status = leggi_celle(image, cells);
            check(status, image, status.ok ? serialise_celle(cells) : std::string());
            break;
        }
        case reader_kind::header_table: {
            testata header;
            const read_status status = leggi_testata(image, header);
            check(status, image, status.ok ? serialise_testata(header) : std::string());
            break;
        }
        case reader_kind::line_geometry: {
            geometria plan;
            const read_status status = leggi_geometria(image, plan);
            check(status, image, status.ok ? serialise_geometria(plan) : std::string());
            break;
        }
    }
}

}  // namespace
}  // namespace scenario::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    scenario::fuzz::read_one(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
