// Readers for the three binary scenario files: they turn the bytes that binary_files writes back
// into the compiled records, so that a scenario author (and the tests) can look inside a file.
// The layouts are the ones documented in output/binary_files.h. A reader accepts those images
// as far as the compiler can have written them: the identity markers are stamped, the tables are
// no larger than the longest route gives, and the geometry has the shape the line pass leaves.
//
// Guarantees: a reader never reads outside the bytes it is given, whatever they hold, and
// allocates nothing for an image larger than any a compile writes; it either fills the whole
// record and returns ok, or returns a fault naming the byte offset where the image stops making
// sense (truncated cell, entry or string, unknown tag, bytes left over, a value or a shape no
// compile leaves). Fault messages are Italian: they are shown to scenario authors as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/records.h"

namespace scenario {

// The outcome of a read: ok, or a damaged image with the offset of the first byte that does
// not fit the layout.
struct read_status {
    bool ok = true;
    std::size_t offset = 0;
    std::string message;  // Italian, without the offset

    static read_status success() { return {}; }
    static read_status corrupt(std::size_t at, std::string what) {
        return {false, at, std::move(what)};
    }
    // "byte N: message", the form the tool prints.
    std::string describe() const;
};

// Cell file: a whole number of 15-byte cells, at least cells 0 and 1 and no more than the
// longest route gives; cell 1 holds the marker 5121 in val1.
read_status leggi_celle(std::string_view bytes, celle& out);

// Header table file: exactly 87 entries of 34 + L bytes each, and nothing after them; entry 85
// holds the marker 610 in v_i1.
read_status leggi_testata(std::string_view bytes, testata& out);

// Line geometry file: tagged elements (tag 0, 2 or 5), an even count of at least two and no more
// than the longest route gives (the count gives the last metre: count / 2 - 1), in one of the
// two shapes the line pass leaves. Either every element is empty (the compile stopped before
// the geometry was seeded), or in both halves metres 0 and 1 hold the seeded integers, metres 2
// to some last traced metre t hold doubles and the metres after t are empty, t being the same
// in both halves. A curve may trace to the very last metre; past point 1000000 only the
// completion traces, and it always stops two metres before the last.
read_status leggi_geometria(std::string_view bytes, geometria& out);

// Where the elements of a plan image lie when it has the shape of every plan a compile seeded:
// in both halves the seeded integers, doubles up to the same last traced metre, then empty
// elements, within the longest route (the shape leggi_geometria accepts, but for a plan never
// seeded). Found in one tight pass and read straight from the bytes, without a table.
struct seeded_plan_image {
    std::int32_t last_metre = 0;
    std::int32_t traced_to = 1;   // the last traced metre
    std::size_t second_half = 0;  // the offset of metre 0 of coordinate 1
    // A metre's value, for metres 0 to traced_to, from the image it was found in.
    double value(std::string_view bytes, std::int32_t metre, int coord) const;
};
std::optional<seeded_plan_image> seeded_plan_shape(std::string_view bytes);

// A cell file of `cell_count` cells beside the header table of the same scenario: the route
// length in entry 84 gives the cell count (n_celle + 1). A length the compile stops at (above
// the longest route, or negative) sizes nothing, and then any count goes. The offset is one in
// the cell file: where the cells the route gives end, or where the file ends if it is shorter.
read_status verifica_celle_con_testata(std::size_t cell_count, const testata& header);

}  // namespace scenario
