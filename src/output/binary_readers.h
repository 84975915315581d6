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
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// Bytes of an image read from anywhere in it a piece at a time, for an image too large to hold
// whole (the longest route's geometry file is about 20 MB).
class byte_source {
   public:
    virtual ~byte_source() = default;
    virtual std::size_t size() const = 0;
    // Fills `into` with the bytes from `offset` on; asked only for bytes within size(). A source
    // that cannot give them throws.
    virtual void read(std::size_t offset, std::span<char> into) const = 0;
};

// A read position over a byte_source that holds one block of it; `take` hands out pieces of up
// to k_block bytes, reading the next block when the piece runs past the one held.
class block_cursor {
   public:
    static constexpr std::size_t k_block = std::size_t{64} << 10;

    block_cursor(const byte_source& source, std::size_t start);

    std::size_t offset() const { return pos_; }
    std::size_t remaining() const { return size_ - pos_; }
    bool has(std::size_t n) const { return n <= remaining(); }
    const char* take(std::size_t n);

   private:
    const byte_source* source_;
    std::size_t size_;
    std::size_t pos_;
    std::size_t block_start_ = 0;
    std::vector<char> block_;  // the bytes from block_start_ on
};

// Where the two coordinates of a geometry image lie, once the image has been checked.
struct geometry_layout {
    std::int32_t last_metre = -1;
    std::size_t second_half = 0;  // the offset of metre 0 of coordinate 1
};

// Checks a geometry image as leggi_geometria does (the same faults at the same offsets) while
// holding no more than a block of it: the walk that counts the elements, then the walk that
// checks their shape.
read_status verifica_geometria(const byte_source& bytes, geometry_layout& out);

// The metres of a geometry image verifica_geometria has accepted, in order, each with both its
// coordinates: two cursors walk the two halves of the image side by side.
class geometry_walk {
   public:
    struct point {
        std::int32_t metre = 0;
        geometria::tag kind[2] = {geometria::tag::empty, geometria::tag::empty};
        double value[2] = {0.0, 0.0};  // 0 for an empty element
    };

    geometry_walk(const byte_source& bytes, const geometry_layout& layout);
    // The next metre; false past the last.
    bool next(point& out);

   private:
    std::int32_t last_metre_;
    std::int32_t metre_ = 0;
    block_cursor halves_[2];
};

// A cell file of `cell_count` cells beside the header table of the same scenario: the route
// length in entry 84 gives the cell count (n_celle + 1). A length the compile stops at (above
// the longest route, or negative) sizes nothing, and then any count goes. The offset is one in
// the cell file: where the cells the route gives end, or where the file ends if it is shorter.
read_status verifica_celle_con_testata(std::size_t cell_count, const testata& header);

}  // namespace scenario
