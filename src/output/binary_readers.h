// Readers for the three binary scenario files: they turn the bytes that binary_files writes back
// into the compiled records, so that a scenario author (and the tests) can look inside a file.
// The layouts are the ones documented in output/binary_files.h; a reader accepts exactly those
// images and nothing else.
//
// Guarantees: a reader never reads outside the bytes it is given, whatever they hold; it either
// fills the whole record and returns ok, or returns a fault naming the byte offset where the
// image stops making sense (truncated cell, entry or string, unknown tag, bytes left over).
// Fault messages are Italian: they are shown to scenario authors as they are.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "compile/records.h"

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

// Cell file: a whole number of 15-byte cells, at least cell 0.
read_status leggi_celle(std::string_view bytes, celle& out);

// Header table file: exactly 87 entries of 34 + L bytes each, and nothing after them.
read_status leggi_testata(std::string_view bytes, testata& out);

// Line geometry file: tagged elements (tag 0, 2 or 5), an even count of at least two, which
// gives the last metre: count / 2 - 1.
read_status leggi_geometria(std::string_view bytes, geometria& out);

}  // namespace scenario
