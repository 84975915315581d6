#include "output/binary_files.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "base/little_endian.h"
#include "base/scenario_files.h"
#include "platform/platform.h"

namespace scenario {
namespace {

// Geometry elements are read and encoded a block at a time; an element takes at most 10 bytes.
constexpr std::size_t k_element_block = 1024;
constexpr std::size_t k_largest_element = 2 + 8;

// A file is encoded into one buffer and handed on a piece at a time, each time the buffer fills:
// every byte of output is stored once, in memory that stays in the cache, however long the
// route, and no file is ever held whole. The buffer is a sixteenth of the largest geometry image
// the set can have, between these two sizes: a long route is written in few pieces, and a short
// one touches little fresh memory, whose first touch costs more than writing it out.
constexpr std::size_t k_smallest_piece = std::size_t{64} << 10;
constexpr std::size_t k_largest_piece = std::size_t{256} << 10;
static_assert(k_element_block * k_largest_element <= k_smallest_piece);
static_assert(k_entry_fixed_size <= k_smallest_piece);

std::size_t piece_size(const run_state& state) {
    const std::size_t geometry = state.crea_geometria != 0 ? state.geometria.size() : 0;
    return std::clamp(geometry * k_largest_element / 16, k_smallest_piece, k_largest_piece);
}

// Encoded bytes, gathered in a buffer and handed on to `deliver` a piece at a time.
class piece_writer {
   public:
    piece_writer(std::span<char> buffer, std::function<void(std::string_view)> deliver)
        : buffer_(buffer), deliver_(std::move(deliver)) {}

    // Room for n bytes (at most the smallest piece) after what is held, handing that on first
    // when they would not fit; `advance` then says how far the room was filled.
    char* room(std::size_t n) {
        assert(n <= k_smallest_piece);
        if (buffer_.size() - used_ < n) hand_on();
        return buffer_.data() + used_;
    }
    void advance(const char* end) { used_ = static_cast<std::size_t>(end - buffer_.data()); }

    void append(std::string_view bytes) {
        while (!bytes.empty()) {
            if (used_ == buffer_.size()) hand_on();
            const std::size_t n = std::min(bytes.size(), buffer_.size() - used_);
            std::copy_n(bytes.data(), n, buffer_.data() + used_);
            used_ += n;
            bytes.remove_prefix(n);
        }
    }

    // Hands on whatever is still held.
    void finish() { hand_on(); }

   private:
    void hand_on() {
        if (used_ > 0) deliver_(std::string_view(buffer_.data(), used_));
        used_ = 0;
    }

    std::span<char> buffer_;
    std::function<void(std::string_view)> deliver_;
    std::size_t used_ = 0;
};

void encode_celle(const celle& cells, piece_writer& out) {
    for (const cella& c : cells) {
        char* p = out.room(k_cell_size);
        p = le::store_u8(p, c.tipo_cella);
        p = le::store_i16(p, c.val1);
        p = le::store_i16(p, c.val2);
        p = le::store_i16(p, c.val3);
        p = le::store_i16(p, c.val4);
        p = le::store_u8(p, c.tempo_segnale);
        p = le::store_u8(p, c.preavviso);
        p = le::store_u8(p, c.sfondo);
        p = le::store_u8(p, c.vel_limite);
        p = le::store_u8(p, c.pendenza);
        p = le::store_u8(p, c.aderenza);
        out.advance(p);
    }
}

void encode_testata(const testata& header, piece_writer& out) {
    for (const voce& v : header) {
        char* p = out.room(k_entry_fixed_size);
        p = le::store_u8(p, v.v_tipo);
        p = le::store_i32(p, v.v_a);
        p = le::store_i32(p, v.v_b);
        p = le::store_i32(p, v.v_c);
        p = le::store_u8(p, v.v_flag);
        // The count is 16 bits wide; a longer name keeps its first 65535 bytes.
        const std::size_t length = std::min<std::size_t>(v.v_nome.size(), 0xFFFF);
        p = le::store_u16(p, static_cast<std::uint16_t>(length));
        out.advance(p);
        out.append(std::string_view(v.v_nome).substr(0, length));
        p = out.room(k_entry_fixed_size);
        for (const std::int16_t i : {v.v_i1, v.v_i2, v.v_i3, v.v_i4, v.v_i5}) {
            p = le::store_i16(p, i);
        }
        for (const std::uint8_t b : {v.v_b1, v.v_b2, v.v_b3, v.v_b4}) p = le::store_u8(p, b);
        p = le::store_i32(p, v.v_l);
        out.advance(p);
    }
}

// The elements in file order, a block of one kind at a time: a geometry still in its traced form
// is traced as it is encoded.
void encode_geometria(const geometria& plan, piece_writer& out) {
    std::array<double, k_element_block> values;
    geometria::reader elements(plan);
    geometria::tag kind = geometria::tag::empty;
    for (std::size_t n; (n = elements.read(kind, values)) != 0;) {
        const auto tag = static_cast<std::uint16_t>(kind);
        char* p = out.room(n * k_largest_element);
        switch (kind) {
            case geometria::tag::empty:
                for (std::size_t i = 0; i < n; ++i) p = le::store_u16(p, tag);
                break;
            case geometria::tag::integer:
                for (std::size_t i = 0; i < n; ++i) {
                    p = le::store_u16(p, tag);
                    p = le::store_i16(p, static_cast<std::int16_t>(values[i]));
                }
                break;
            case geometria::tag::real:
                for (std::size_t i = 0; i < n; ++i) {
                    p = le::store_u16(p, tag);
                    p = le::store_f64(p, values[i]);
                }
                break;
        }
        out.advance(p);
    }
}

// The whole image of one file, for those who want it in memory; `most` bounds its size.
template <typename Encode>
std::string whole_image(std::size_t most, Encode encode) {
    std::string image;
    image.reserve(most);
    const std::unique_ptr<char[]> buffer(new char[k_smallest_piece]);
    piece_writer out(std::span<char>(buffer.get(), k_smallest_piece),
                     [&image](std::string_view piece) { image.append(piece); });
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

void serialise_geometria_in_pieces(const geometria& plan,
                                   const std::function<void(std::string_view)>& deliver) {
    const std::unique_ptr<char[]> buffer(new char[k_smallest_piece]);
    piece_writer out(std::span<char>(buffer.get(), k_smallest_piece), deliver);
    encode_geometria(plan, out);
    out.finish();
}

void scrivi_file_binari(const run_state& state, directory_flush flush) {
    // Each file is encoded through the one buffer, written a piece at a time and flushed in turn;
    // the renames follow one another only once all three are safely on the device.
    const std::size_t size = piece_size(state);
    const std::unique_ptr<char[]> buffer(new char[size]);
    std::vector<platform::staged_file> staged;
    auto stage = [&](file_kind kind, const std::function<void(piece_writer&)>& encode) {
        platform::staged_file& file = staged.emplace_back(scenario_file(state, kind));
        piece_writer out(std::span<char>(buffer.get(), size),
                         [&file](std::string_view piece) { file.write(piece); });
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
    if (flush == directory_flush::here) platform::flush_directory(state.scenario_directory());
}

}  // namespace scenario
