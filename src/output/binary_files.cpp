#include "output/binary_files.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <vector>

#include "base/little_endian.h"
#include "platform/platform.h"
#include "base/scenario_files.h"

namespace scenario {

std::string serialise_celle(const celle& cells) {
    std::string out;
    out.reserve(cells.size() * k_cell_size);
    for (const cella& c : cells) {
        le::put_u8(out, c.tipo_cella);
        le::put_i16(out, c.val1);
        le::put_i16(out, c.val2);
        le::put_i16(out, c.val3);
        le::put_i16(out, c.val4);
        le::put_u8(out, c.tempo_segnale);
        le::put_u8(out, c.preavviso);
        le::put_u8(out, c.sfondo);
        le::put_u8(out, c.vel_limite);
        le::put_u8(out, c.pendenza);
        le::put_u8(out, c.aderenza);
    }
    assert(out.size() == cells.size() * k_cell_size);
    return out;
}

std::string serialise_testata(const testata& header) {
    std::string out;
    out.reserve(header.size() * (k_entry_fixed_size + 16));
    for (const voce& v : header) {
        le::put_u8(out, v.v_tipo);
        le::put_i32(out, v.v_a);
        le::put_i32(out, v.v_b);
        le::put_i32(out, v.v_c);
        le::put_u8(out, v.v_flag);
        // The count is 16 bits wide; a longer name keeps its first 65535 bytes.
        const std::size_t length = std::min<std::size_t>(v.v_nome.size(), 0xFFFF);
        le::put_u16(out, static_cast<std::uint16_t>(length));
        out.append(v.v_nome, 0, length);
        for (const std::int16_t i : {v.v_i1, v.v_i2, v.v_i3, v.v_i4, v.v_i5}) le::put_i16(out, i);
        for (const std::uint8_t b : {v.v_b1, v.v_b2, v.v_b3, v.v_b4}) le::put_u8(out, b);
        le::put_i32(out, v.v_l);
    }
    return out;
}

namespace {

// The payload bytes that follow an element's tag.
std::size_t payload_size(geometria::tag kind) {
    switch (kind) {
        case geometria::tag::integer:
            return 2;
        case geometria::tag::real:
            return 8;
        case geometria::tag::empty:
            return 0;
    }
    return 0;
}

// Stores the low `bytes` bytes of v at p, least significant first; returns the end.
char* store_le(char* p, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return p + bytes;
}

}  // namespace

// The image of a long route runs to tens of megabytes: it is sized first and then filled through
// a pointer, which costs a fraction of appending it byte by byte.
std::string serialise_geometria(const geometria& plan) {
    std::size_t size = 0;
    for (std::size_t i = 0; i < plan.size(); ++i) size += 2 + payload_size(plan.kind_at(i));
    std::string out(size, '\0');
    char* p = out.data();
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const geometria::tag kind = plan.kind_at(i);
        p = store_le(p, static_cast<std::uint16_t>(kind), 2);
        if (kind == geometria::tag::integer) {
            const auto v = static_cast<std::int16_t>(plan.value_at(i));
            p = store_le(p, static_cast<std::uint16_t>(v), 2);
        } else if (kind == geometria::tag::real) {
            p = store_le(p, std::bit_cast<std::uint64_t>(plan.value_at(i)), 8);
        }
    }
    assert(p == out.data() + out.size());
    return out;
}

void scrivi_file_binari(const run_state& state) {
    // Each image is serialised, written and flushed in turn, so only one is held at a time; the
    // renames follow one another only once all three are safely on the device.
    std::vector<platform::staged_file> staged;
    auto stage = [&](file_kind kind, const std::string& image) {
        platform::staged_file& file = staged.emplace_back(scenario_file(state, kind));
        file.write(image);
        file.flush();
    };
    staged.reserve(3);
    if (state.crea_geometria != 0) {
        stage(file_kind::line_geometry, serialise_geometria(state.geometria));
    }
    stage(file_kind::header_table, serialise_testata(state.testata));
    stage(file_kind::cells, serialise_celle(state.celle));
    for (platform::staged_file& file : staged) file.commit();
    platform::flush_directory(state.scenario_directory());
}

}  // namespace scenario
