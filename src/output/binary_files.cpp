#include "output/binary_files.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <functional>
#include <string_view>
#include <vector>

#include "base/little_endian.h"
#include "base/scenario_files.h"
#include "platform/platform.h"

namespace scenario {
namespace {

// A file is encoded into one buffer and handed on a piece at a time, each time the buffer holds
// this much: every byte of output is stored once, in memory that stays in the cache, however
// long the route. Nothing of a file is ever held whole.
constexpr std::size_t k_piece_size = std::size_t{256} << 10;
// Geometry elements are read and encoded a block at a time; an element takes at most 10 bytes.
constexpr std::size_t k_element_block = 1024;
constexpr std::size_t k_largest_element = 2 + 8;

// Encoded bytes, gathered in `bytes` and handed on to `deliver` a piece at a time. Encoders
// append one record (a cell, an entry, a block of geometry elements) and then call `record_done`.
class piece_writer {
   public:
    piece_writer(std::string& buffer, std::function<void(std::string_view)> deliver)
        : bytes(buffer), deliver_(std::move(deliver)) {
        bytes.clear();
    }

    void record_done() {
        if (bytes.size() >= k_piece_size) hand_on();
    }

    // Hands on whatever is still held.
    void finish() { hand_on(); }

    std::string& bytes;

   private:
    void hand_on() {
        if (!bytes.empty()) deliver_(bytes);
        bytes.clear();
    }

    std::function<void(std::string_view)> deliver_;
};

void encode_celle(const celle& cells, piece_writer& out) {
    for (const cella& c : cells) {
        le::put_u8(out.bytes, c.tipo_cella);
        le::put_i16(out.bytes, c.val1);
        le::put_i16(out.bytes, c.val2);
        le::put_i16(out.bytes, c.val3);
        le::put_i16(out.bytes, c.val4);
        le::put_u8(out.bytes, c.tempo_segnale);
        le::put_u8(out.bytes, c.preavviso);
        le::put_u8(out.bytes, c.sfondo);
        le::put_u8(out.bytes, c.vel_limite);
        le::put_u8(out.bytes, c.pendenza);
        le::put_u8(out.bytes, c.aderenza);
        out.record_done();
    }
}

void encode_testata(const testata& header, piece_writer& out) {
    for (const voce& v : header) {
        le::put_u8(out.bytes, v.v_tipo);
        le::put_i32(out.bytes, v.v_a);
        le::put_i32(out.bytes, v.v_b);
        le::put_i32(out.bytes, v.v_c);
        le::put_u8(out.bytes, v.v_flag);
        // The count is 16 bits wide; a longer name keeps its first 65535 bytes.
        const std::size_t length = std::min<std::size_t>(v.v_nome.size(), 0xFFFF);
        le::put_u16(out.bytes, static_cast<std::uint16_t>(length));
        out.bytes.append(v.v_nome, 0, length);
        for (const std::int16_t i : {v.v_i1, v.v_i2, v.v_i3, v.v_i4, v.v_i5}) {
            le::put_i16(out.bytes, i);
        }
        for (const std::uint8_t b : {v.v_b1, v.v_b2, v.v_b3, v.v_b4}) le::put_u8(out.bytes, b);
        le::put_i32(out.bytes, v.v_l);
        out.record_done();
    }
}

// Stores the low `bytes` bytes of v at p, least significant first; returns the end.
char* store_le(char* p, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return p + bytes;
}

// The elements in file order, a block at a time: a geometry still in its traced form is traced
// as it is encoded. Each block is stored through a pointer into room made for its largest size,
// which costs a fraction of appending it byte by byte.
void encode_geometria(const geometria& plan, piece_writer& out) {
    std::array<geometria::tag, k_element_block> kinds;
    std::array<double, k_element_block> values;
    geometria::reader elements(plan);
    for (std::size_t n; (n = elements.read(kinds, values)) != 0;) {
        const std::size_t start = out.bytes.size();
        out.bytes.resize(start + n * k_largest_element);
        char* const first = out.bytes.data() + start;
        char* p = first;
        for (std::size_t i = 0; i < n; ++i) {
            const geometria::tag kind = kinds[i];
            p = store_le(p, static_cast<std::uint16_t>(kind), 2);
            if (kind == geometria::tag::integer) {
                const auto v = static_cast<std::int16_t>(values[i]);
                p = store_le(p, static_cast<std::uint16_t>(v), 2);
            } else if (kind == geometria::tag::real) {
                p = store_le(p, std::bit_cast<std::uint64_t>(values[i]), 8);
            }
        }
        out.bytes.resize(start + static_cast<std::size_t>(p - first));
        out.record_done();
    }
}

// A buffer that holds a piece and the largest record that can follow it without reallocating.
std::string piece_buffer() {
    std::string buffer;
    buffer.reserve(k_piece_size + std::max(k_element_block * k_largest_element,
                                           k_entry_fixed_size + std::size_t{0xFFFF}));
    return buffer;
}

// The whole image of one file, for those who want it in memory; `most` bounds its size.
template <typename Encode>
std::string whole_image(std::size_t most, Encode encode) {
    std::string image;
    image.reserve(most);
    std::string buffer = piece_buffer();
    piece_writer out(buffer, [&image](std::string_view piece) { image.append(piece); });
    encode(out);
    out.finish();
    return image;
}

}  // namespace

std::string serialise_celle(const celle& cells) {
    std::string out =
        whole_image(cells.size() * k_cell_size, [&](piece_writer& w) { encode_celle(cells, w); });
    assert(out.size() == cells.size() * k_cell_size);
    return out;
}

std::string serialise_testata(const testata& header) {
    return whole_image(header.size() * (k_entry_fixed_size + 16),
                       [&](piece_writer& w) { encode_testata(header, w); });
}

std::string serialise_geometria(const geometria& plan) {
    return whole_image(plan.size() * k_largest_element,
                       [&](piece_writer& w) { encode_geometria(plan, w); });
}

void scrivi_file_binari(const run_state& state) {
    // Each file is encoded through the one buffer, written a piece at a time and flushed in turn;
    // the renames follow one another only once all three are safely on the device.
    std::string buffer = piece_buffer();
    std::vector<platform::staged_file> staged;
    auto stage = [&](file_kind kind, const std::function<void(piece_writer&)>& encode) {
        platform::staged_file& file = staged.emplace_back(scenario_file(state, kind));
        piece_writer out(buffer, [&file](std::string_view piece) { file.write(piece); });
        encode(out);
        out.finish();
        file.flush();
    };
    staged.reserve(3);
    if (state.crea_geometria != 0) {
        stage(file_kind::line_geometry,
              [&](piece_writer& out) { encode_geometria(state.geometria, out); });
    }
    stage(file_kind::header_table, [&](piece_writer& out) { encode_testata(state.testata, out); });
    stage(file_kind::cells, [&](piece_writer& out) { encode_celle(state.celle, out); });
    for (platform::staged_file& file : staged) file.commit();
    platform::flush_directory(state.scenario_directory());
}

}  // namespace scenario
