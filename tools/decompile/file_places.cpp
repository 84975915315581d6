// The compiled texts' tables held against the files: each difference placed by cell and
// field, entry and field, or metre and coordinate, with what each side holds.
#include <algorithm>
#include <cstring>

#include "base/header_fields.h"
#include "base/windows1252.h"
#include "decompile/decompile_parts.h"
#include "output/binary_files.h"

namespace scenario::tool::decompiling {

constexpr std::array<std::pair<std::size_t, std::string_view>, 11> k_cell_fields = {{
    {0, "tipo_cella"},
    {1, "val1"},
    {3, "val2"},
    {5, "val3"},
    {7, "val4"},
    {9, "tempo_segnale"},
    {10, "preavviso"},
    {11, "sfondo"},
    {12, "vel_limite"},
    {13, "pendenza"},
    {14, "aderenza"},
}};

std::int64_t cell_field(const cella& c, std::size_t field) {
    switch (field) {
        case 0: return c.tipo_cella;
        case 1: return c.val1;
        case 2: return c.val2;
        case 3: return c.val3;
        case 4: return c.val4;
        case 5: return c.tempo_segnale;
        case 6: return c.preavviso;
        case 7: return c.sfondo;
        case 8: return c.vel_limite;
        case 9: return c.pendenza;
        default: break;
    }
    return c.aderenza;
}

std::size_t cell_field_size(std::size_t field) { return field >= 1 && field <= 4 ? 2 : 1; }

std::string cells_word(std::size_t first, std::size_t last) {
    return first == last ? "cella " + number(static_cast<std::int64_t>(first))
                         : "celle " + number(static_cast<std::int64_t>(first)) + "–" +
                               number(static_cast<std::int64_t>(last));
}

std::string values_word(std::int64_t file, std::int64_t texts) {
    return "il file ha " + number(file) + ", i testi danno " + number(texts);
}

void compare_cells(const celle& file, const celle& compiled, std::vector<file_place>& out) {
    if (file.size() != compiled.size()) {
        out.push_back({file_kind::cells, 0, 1, "il file intero",
                       "il file ha " + number(static_cast<std::int64_t>(file.size())) +
                           " celle, i testi ne danno " +
                           number(static_cast<std::int64_t>(compiled.size()))});
        return;
    }
    for (std::size_t f = 0; f < k_cell_fields.size(); ++f) {
        for (std::size_t c = 0; c < file.size();) {
            const std::int64_t a = cell_field(file[c], f), b = cell_field(compiled[c], f);
            if (a == b) {
                ++c;
                continue;
            }
            std::size_t last = c;
            while (last + 1 < file.size() && cell_field(file[last + 1], f) == a &&
                   cell_field(compiled[last + 1], f) == b) {
                ++last;
            }
            out.push_back({file_kind::cells, c * k_cell_size + k_cell_fields[f].first,
                           cell_field_size(f),
                           cells_word(c, last) + ", " + std::string(k_cell_fields[f].second),
                           values_word(a, b) + (last > c ? " (in ognuna)" : "")});
            c = last + 1;
        }
    }
}

// The byte offset of each entry of a header table in its file.
std::vector<std::size_t> entry_offsets(const testata& header) {
    std::vector<std::size_t> out;
    std::size_t at = 0;
    for (const voce& v : header) {
        out.push_back(at);
        at += k_entry_fixed_size + v.v_nome.size();
    }
    return out;
}

std::size_t field_offset(const voce& v, voce_field field) {
    const std::size_t l = v.v_nome.size();
    switch (field) {
        case voce_field::v_tipo: return 0;
        case voce_field::v_a: return 1;
        case voce_field::v_b: return 5;
        case voce_field::v_c: return 9;
        case voce_field::v_flag: return 13;
        case voce_field::v_nome: return 14;
        case voce_field::v_i1: return 16 + l;
        case voce_field::v_i2: return 18 + l;
        case voce_field::v_i3: return 20 + l;
        case voce_field::v_i4: return 22 + l;
        case voce_field::v_i5: return 24 + l;
        case voce_field::v_b1: return 26 + l;
        case voce_field::v_b2: return 27 + l;
        case voce_field::v_b3: return 28 + l;
        case voce_field::v_b4: return 29 + l;
        case voce_field::v_l: break;
    }
    return 30 + l;
}

std::size_t voce_field_size(voce_field field) {
    switch (field) {
        case voce_field::v_tipo:
        case voce_field::v_flag:
        case voce_field::v_b1:
        case voce_field::v_b2:
        case voce_field::v_b3:
        case voce_field::v_b4: return 1;
        case voce_field::v_a:
        case voce_field::v_b:
        case voce_field::v_c:
        case voce_field::v_l: return 4;
        default: break;
    }
    return 2;
}

std::string entry_word(int entry, voce_field field) {
    return "voce " + number(entry) + " (" + header_field_name(entry, field) + ")";
}

void compare_header(const testata& file, const testata& compiled, std::vector<file_place>& out) {
    const std::vector<std::size_t> offsets = entry_offsets(file);
    for (int e = 0; e < k_testata_entries; ++e) {
        const voce& a = file[static_cast<std::size_t>(e)];
        const voce& b = compiled[static_cast<std::size_t>(e)];
        for (const voce_field field : voce_fields()) {
            const std::size_t at = offsets[static_cast<std::size_t>(e)] + field_offset(a, field);
            if (field == voce_field::v_nome) {
                if (a.v_nome != b.v_nome) {
                    out.push_back({file_kind::header_table, at, 2 + a.v_nome.size(),
                                   entry_word(e, field),
                                   "il file ha \"" + from_windows1252(a.v_nome) +
                                       "\", i testi danno \"" + from_windows1252(b.v_nome) + "\""});
                }
            } else if (field_number(a, field) != field_number(b, field)) {
                out.push_back({file_kind::header_table, at, voce_field_size(field),
                               entry_word(e, field),
                               values_word(field_number(a, field), field_number(b, field))});
            }
        }
    }
}

void compare_plans(const geometria* file, const geometria* compiled, const std::string& bytes,
                   std::vector<file_place>& out) {
    if (file == nullptr || compiled == nullptr) return;
    if (file->last_metre() != compiled->last_metre()) {
        out.push_back({file_kind::line_geometry, 0, bytes.size(), "il file intero",
                       "la geometria va fino al metro " + number(file->last_metre()) +
                           ", i testi la danno fino al metro " + number(compiled->last_metre())});
        return;
    }
    // Offsets in the file's own layout: a tag of 2 bytes and its payload.
    std::size_t at = 0;
    for (int coord = 0; coord < 2; ++coord) {
        std::optional<std::int32_t> first;
        std::size_t first_at = 0;
        for (std::int32_t m = 0; m <= file->last_metre() + 1; ++m) {
            bool differs = false;
            std::size_t size = 0;
            if (m <= file->last_metre()) {
                const auto ka = file->kind(m, coord), kb = compiled->kind(m, coord);
                size = 2 + (ka == geometria::tag::empty ? 0 : ka == geometria::tag::integer ? 2 : 8);
                differs = ka != kb ||
                          (ka != geometria::tag::empty &&
                           !same_bits(file->value(m, coord), compiled->value(m, coord)));
            }
            if (differs && !first) {
                first = m;
                first_at = at;
            }
            if (!differs && first) {
                const std::string metres =
                    *first == m - 1 ? "metro " + number(*first)
                                    : "metri " + number(*first) + "–" + number(m - 1);
                out.push_back({file_kind::line_geometry, first_at, at - first_at,
                               metres + ", coordinata " + number(coord),
                               "i testi tracciano altri punti"});
                first.reset();
            }
            at += size;
        }
    }
}

// The places in the order of the files (geometry, header table, cells), each by offset.
void sort_by_place(std::vector<file_place>& places) {
    const auto rank = [](file_kind f) {
        return f == file_kind::line_geometry ? 0 : f == file_kind::header_table ? 1 : 2;
    };
    std::stable_sort(places.begin(), places.end(), [&](const file_place& l, const file_place& r) {
        return std::pair(rank(l.file), l.offset) < std::pair(rank(r.file), r.offset);
    });
}

// Whether the plan encodes to exactly these bytes; compared a piece at a time, never held whole.
bool same_image(const geometria& plan, std::string_view bytes) {
    bool same = true;
    std::size_t at = 0;
    serialise_geometria_in_pieces(plan, [&](std::string_view piece) {
        same = same && at + piece.size() <= bytes.size() &&
               std::memcmp(piece.data(), bytes.data() + at, piece.size()) == 0;
        at += piece.size();
    });
    return same && at == bytes.size();
}

}  // namespace scenario::tool::decompiling

namespace scenario::tool {

using namespace decompiling;

std::string place_in_file(file_kind file, std::string_view bytes, std::size_t offset) {
    if (file == file_kind::cells) {
        const std::size_t cell = offset / k_cell_size;
        const std::size_t within = offset % k_cell_size;
        std::string_view field = "tipo_cella";
        for (const auto& [at, name] : k_cell_fields) {
            if (at <= within) field = name;
        }
        return "cella " + number(static_cast<std::int64_t>(cell)) + ", " + std::string(field);
    }
    if (file == file_kind::header_table) {
        std::size_t at = 0;
        for (int e = 0; e < k_testata_entries && at + 16 <= bytes.size(); ++e) {
            const std::size_t l = static_cast<unsigned char>(bytes[at + 14]) |
                                  static_cast<std::size_t>(static_cast<unsigned char>(bytes[at + 15])) << 8;
            const std::size_t size = k_entry_fixed_size + l;
            if (offset < at + size) {
                voce sized;
                sized.v_nome.assign(l, ' ');
                voce_field found = voce_field::v_tipo;
                for (const voce_field f : voce_fields()) {
                    if (field_offset(sized, f) <= offset - at) found = f;
                }
                return entry_word(e, found);
            }
            at += size;
        }
        return "oltre la fine delle voci";
    }
    // The geometry: elements of a 2-byte tag and its payload; half of them per coordinate.
    std::size_t at = 0, element = 0;
    while (at + 2 <= bytes.size()) {
        const int tag = static_cast<unsigned char>(bytes[at]);
        const std::size_t size = 2 + (tag == 2 ? 2 : tag == 5 ? 8 : 0);
        if (offset < at + size) break;
        at += size;
        ++element;
    }
    std::size_t count = 0;
    for (std::size_t i = 0; i + 2 <= bytes.size();) {
        const int tag = static_cast<unsigned char>(bytes[i]);
        i += 2 + (tag == 2 ? 2 : tag == 5 ? 8 : 0);
        ++count;
    }
    const std::size_t metres = count / 2 == 0 ? 1 : count / 2;
    return "metro " + number(static_cast<std::int64_t>(element % metres)) + ", coordinata " +
           number(static_cast<std::int64_t>(element / metres));
}

}  // namespace scenario::tool
