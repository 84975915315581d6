// Decoders of the three binary scenario files. Every read goes through a cursor that checks the
// remaining length first, so a damaged image can only end in a fault, never in a stray read.
#include "output/binary_readers.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "base/identity_codes.h"
#include "base/little_endian.h"
#include "base/positions.h"
#include "output/binary_files.h"

namespace scenario {
namespace {

// A read position over the image; takes bytes only when they are all there.
class byte_cursor {
   public:
    explicit byte_cursor(std::string_view bytes) : bytes_(bytes) {}

    std::size_t offset() const { return pos_; }
    std::size_t remaining() const { return bytes_.size() - pos_; }
    bool has(std::size_t n) const { return n <= remaining(); }
    const char* take(std::size_t n) {
        const char* p = bytes_.data() + pos_;
        pos_ += n;
        return p;
    }

   private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

cella decode_cella(const char* p) {
    cella c;
    c.tipo_cella = le::get_u8(p);
    c.val1 = le::get_i16(p + 1);
    c.val2 = le::get_i16(p + 3);
    c.val3 = le::get_i16(p + 5);
    c.val4 = le::get_i16(p + 7);
    c.tempo_segnale = le::get_u8(p + 9);
    c.preavviso = le::get_u8(p + 10);
    c.sfondo = le::get_u8(p + 11);
    c.vel_limite = le::get_u8(p + 12);
    c.pendenza = le::get_u8(p + 13);
    c.aderenza = le::get_u8(p + 14);
    return c;
}

// The part of an entry before its name: v_tipo, v_a, v_b, v_c, v_flag and the name's count.
constexpr std::size_t k_entry_head_size = 1 + 3 * 4 + 1 + 2;
// The part after its name: five Integers, four Bytes and v_l.
constexpr std::size_t k_entry_tail_size = 5 * 2 + 4 * 1 + 4;
static_assert(k_entry_head_size + k_entry_tail_size == k_entry_fixed_size);

std::string entry_label(int entry) { return "voce " + std::to_string(entry); }

read_status decode_voce(byte_cursor& in, int entry, voce& v) {
    const std::size_t start = in.offset();
    if (!in.has(k_entry_head_size)) {
        return read_status::corrupt(
            start, entry_label(entry) + " troncata: servono " + std::to_string(k_entry_head_size) +
                       " byte prima del nome, ne restano " + std::to_string(in.remaining()));
    }
    const char* head = in.take(k_entry_head_size);
    v.v_tipo = le::get_u8(head);
    v.v_a = le::get_i32(head + 1);
    v.v_b = le::get_i32(head + 5);
    v.v_c = le::get_i32(head + 9);
    v.v_flag = le::get_u8(head + 13);
    const std::size_t length = le::get_u16(head + 14);
    if (!in.has(length)) {
        return read_status::corrupt(in.offset(), "nome della " + entry_label(entry) +
                                                     " troncato: lunghezza dichiarata " +
                                                     std::to_string(length) + " byte, ne restano " +
                                                     std::to_string(in.remaining()));
    }
    v.v_nome.assign(in.take(length), length);
    if (!in.has(k_entry_tail_size)) {
        return read_status::corrupt(in.offset(), entry_label(entry) +
                                                     " troncata dopo il nome: "
                                                     "servono " +
                                                     std::to_string(k_entry_tail_size) +
                                                     " byte, ne restano " +
                                                     std::to_string(in.remaining()));
    }
    const char* tail = in.take(k_entry_tail_size);
    v.v_i1 = le::get_i16(tail);
    v.v_i2 = le::get_i16(tail + 2);
    v.v_i3 = le::get_i16(tail + 4);
    v.v_i4 = le::get_i16(tail + 6);
    v.v_i5 = le::get_i16(tail + 8);
    v.v_b1 = le::get_u8(tail + 10);
    v.v_b2 = le::get_u8(tail + 11);
    v.v_b3 = le::get_u8(tail + 12);
    v.v_b4 = le::get_u8(tail + 13);
    v.v_l = le::get_i32(tail + 14);
    return read_status::success();
}

// The payload width of a geometry tag, or -1 for a tag the layout does not know. The whole
// 16-bit tag is compared: the in-memory tag is one byte wide, so a cast first would take 0x1300
// for an empty element.
int payload_size(std::uint16_t tag) {
    if (tag == static_cast<std::uint16_t>(geometria::tag::empty)) return 0;
    if (tag == static_cast<std::uint16_t>(geometria::tag::integer)) return 2;
    if (tag == static_cast<std::uint16_t>(geometria::tag::real)) return 8;
    return -1;
}

std::string element_label(std::size_t index) { return "elemento " + std::to_string(index); }

// One element of the geometry file.
struct plan_element {
    std::size_t offset;  // of its tag
    geometria::tag kind;
    double value;
};

// Takes element `index` from the cursor (a byte_cursor or a block_cursor): a known tag and its
// whole payload.
template <typename Cursor>
read_status next_element(Cursor& in, std::size_t index, plan_element& out) {
    out.offset = in.offset();
    if (!in.has(2)) {
        return read_status::corrupt(out.offset,
                                    element_label(index) + " troncato: manca metà del tipo");
    }
    const std::uint16_t tag = le::get_u16(in.take(2));
    const int width = payload_size(tag);
    if (width < 0) {
        return read_status::corrupt(out.offset, element_label(index) + ": tipo sconosciuto " +
                                                    std::to_string(tag) +
                                                    " (ammessi 0 vuoto, 2 intero, 5 reale)");
    }
    if (!in.has(static_cast<std::size_t>(width))) {
        return read_status::corrupt(in.offset(), element_label(index) +
                                                     " troncato: il valore richiede " +
                                                     std::to_string(width) + " byte, ne restano " +
                                                     std::to_string(in.remaining()));
    }
    const char* p = in.take(static_cast<std::size_t>(width));
    out.kind = static_cast<geometria::tag>(tag);
    out.value = 0.0;
    if (out.kind == geometria::tag::integer) out.value = le::get_i16(p);
    if (out.kind == geometria::tag::real) out.value = le::get_f64(p);
    return read_status::success();
}

// The elements of the longest route: two coordinates of every metre up to its run-off.
std::size_t max_plan_elements() {
    return 2 * (static_cast<std::size_t>(route_last_metre(k_max_route_length)) + 1);
}

// The cells of the longest route.
std::size_t max_cells() {
    return static_cast<std::size_t>(route_last_cell(k_max_route_length)) + 1;
}

// Counts the elements without keeping any: every tag must be known and every payload whole, and
// the walk stops at the first element past the longest route's.
template <typename Cursor>
read_status count_elements(Cursor in, std::size_t& count) {
    const std::size_t limit = max_plan_elements();
    plan_element element;
    for (count = 0; in.remaining() > 0; ++count) {
        if (count == limit) {
            return read_status::corrupt(
                in.offset(), element_label(count) + " di troppo: il percorso più lungo (" +
                                 std::to_string(k_max_route_length) + " m più " +
                                 std::to_string(k_run_off) + " m oltre la fine) ha " +
                                 std::to_string(limit) + " elementi");
        }
        const read_status status = next_element(in, count, element);
        if (!status.ok) return status;
    }
    return read_status::success();
}

std::string kind_text(const plan_element& e) {
    switch (e.kind) {
        case geometria::tag::integer:
            return "un intero (" + std::to_string(static_cast<int>(e.value)) + ")";
        case geometria::tag::real:
            return "un reale";
        case geometria::tag::empty:
            break;
    }
    return "vuoto";
}

constexpr auto k_last_traceable = static_cast<std::size_t>(k_last_traceable_point);

// The shape the line pass leaves, checked element by element in file order: `per_half` elements
// (metres 0 to per_half - 1) of coordinate 0, then as many of coordinate 1.
class plan_shape {
   public:
    explicit plan_shape(std::size_t per_half) : last_(per_half - 1), per_half_(per_half) {}

    // Empty text when the element fits; else what is wrong with it.
    std::string check(std::size_t index, const plan_element& e) {
        const int coord = index < per_half_ ? 0 : 1;
        const std::size_t metre = index % per_half_;
        const auto where = [&] { return place(metre, coord); };
        if (index == 0) seeded_ = e.kind == geometria::tag::integer;
        if (!seeded_) {
            if (e.kind == geometria::tag::empty) return "";
            if (index == 0) {
                return where() + ": " + kind_text(e) +
                       ", ma la geometria comincia con gli interi dei metri 0 e 1, o è tutta vuota";
            }
            return where() + ": " + kind_text(e) +
                   ", ma il metro 0 è vuoto: una geometria mai seminata resta tutta vuota";
        }
        if (metre < 2) {
            const std::int16_t seed = k_seed[coord][metre];
            if (e.kind == geometria::tag::integer && e.value == seed) return "";
            return where() + ": " + kind_text(e) + " invece dell'intero " + std::to_string(seed) +
                   " del punto iniziale";
        }
        if (coord == 0) return check_first_half(metre, e);
        if (!traced_to_) traced_to_ = last_;
        const bool traced = metre <= *traced_to_;
        if (e.kind == (traced ? geometria::tag::real : geometria::tag::empty)) return "";
        return where() + ": " + kind_text(e) + ", ma la coordinata 0 è tracciata fino al metro " +
               std::to_string(*traced_to_);
    }

   private:
    static std::string place(std::size_t metre, int coord) {
        return "metro " + std::to_string(metre) + " della coordinata " + std::to_string(coord);
    }

    // Coordinate 0 fixes the last traced metre: doubles from metre 2 on, then only empty ones.
    std::string check_first_half(std::size_t metre, const plan_element& e) {
        const auto where = [&] { return place(metre, 0); };
        if (e.kind == geometria::tag::integer) {
            return where() + ": " + kind_text(e) + " oltre i due punti iniziali";
        }
        if (e.kind == geometria::tag::empty) {
            if (traced_to_) return "";
            traced_to_ = metre - 1;
            if (*traced_to_ > k_last_traceable && *traced_to_ + 2 != last_) {
                return where() + ": vuoto, ma il tracciato oltre il punto " +
                       std::to_string(k_last_traceable_point) + " arriva sempre al metro " +
                       std::to_string(last_ - 2);
            }
            return "";
        }
        if (traced_to_) {
            return where() + ": un reale dopo il metro vuoto " + std::to_string(*traced_to_ + 1);
        }
        if (metre > k_last_traceable && metre + 2 > last_) {
            return where() + ": un reale, ma il tracciato oltre il punto " +
                   std::to_string(k_last_traceable_point) + " si ferma al metro " +
                   std::to_string(last_ - 2);
        }
        return "";
    }

    std::size_t last_;
    std::size_t per_half_;
    bool seeded_ = false;
    std::optional<std::size_t> traced_to_;  // the last traced metre, once known
};

// One half of the shape every seeded plan has, at `at`: the two seeded integers of `coord`,
// doubles up to a last traced metre, then empty elements up to the next integer or the end.
struct half_shape {
    std::size_t traced_to = 0;  // the last traced metre
    std::size_t empties = 0;
    std::size_t end = 0;        // the offset after the half
};

bool scan_half(std::string_view bytes, std::size_t at, int coord, half_shape& half) {
    const char* p = bytes.data();
    const std::size_t n = bytes.size();
    for (int metre = 0; metre < 2; ++metre) {
        if (at + 4 > n || le::get_u16(p + at) != static_cast<std::uint16_t>(geometria::tag::integer) ||
            le::get_i16(p + at + 2) != k_seed[coord][metre]) {
            return false;
        }
        at += 4;
    }
    std::size_t metre = 2;
    while (at + 10 <= n && le::get_u16(p + at) == static_cast<std::uint16_t>(geometria::tag::real)) {
        at += 10;
        ++metre;
    }
    half.traced_to = metre - 1;
    half.empties = 0;
    while (at + 2 <= n && le::get_u16(p + at) == static_cast<std::uint16_t>(geometria::tag::empty)) {
        at += 2;
        ++half.empties;
    }
    half.end = at;
    return true;
}

// The first walk: the elements counted, whole, within the longest route, two to a metre.
template <typename Cursor>
read_status counted_plan(Cursor in, std::size_t& count) {
    const std::size_t size = in.remaining();
    const read_status counted = count_elements(in, count);
    if (!counted.ok) return counted;
    if (count == 0) return read_status::corrupt(0, "file vuoto: manca anche il metro 0");
    if (count % 2 != 0) {
        return read_status::corrupt(size, "numero di elementi " + std::to_string(count) +
                                              " non valido: servono due coordinate per ogni "
                                              "metro");
    }
    return read_status::success();
}

// The second walk: each of the `count` elements in the shape the line pass leaves, handed to
// `keep` with its index once it fits.
template <typename Cursor, typename Keep>
read_status shaped_plan(Cursor in, std::size_t count, Keep keep) {
    plan_shape shape(count / 2);
    plan_element e;
    for (std::size_t i = 0; i < count; ++i) {
        // The first walk has already taken every element whole.
        next_element(in, i, e);
        if (const std::string wrong = shape.check(i, e); !wrong.empty()) {
            return read_status::corrupt(e.offset, element_label(i) + ", " + wrong);
        }
        keep(i, e);
    }
    return read_status::success();
}

}  // namespace

std::string read_status::describe() const {
    if (ok) return "ok";
    return "byte " + std::to_string(offset) + ": " + message;
}

read_status leggi_celle(std::string_view bytes, celle& out) {
    if (bytes.empty()) return read_status::corrupt(0, "file vuoto: manca anche la cella 0");
    const std::size_t whole = bytes.size() / k_cell_size;
    if (bytes.size() % k_cell_size != 0) {
        return read_status::corrupt(whole * k_cell_size,
                                    "cella " + std::to_string(whole) +
                                        " troncata: " + std::to_string(bytes.size() % k_cell_size) +
                                        " byte su " + std::to_string(k_cell_size) +
                                        " (la dimensione del file non è un multiplo di 15)");
    }
    if (whole > max_cells()) {
        return read_status::corrupt(max_cells() * k_cell_size,
                                    std::to_string(whole) + " celle: il percorso più lungo (" +
                                        std::to_string(k_max_route_length) + " m) ne ha " +
                                        std::to_string(max_cells()) + ", da 0 a " +
                                        std::to_string(max_cells() - 1));
    }
    if (whole < 2) {
        return read_status::corrupt(bytes.size(), "manca la cella 1, che porta il marcatore " +
                                                      std::to_string(k_cell_marker));
    }
    // val1 of cell 1.
    const std::size_t marker_at = k_cell_size + 1;
    const std::int16_t marker = le::get_i16(bytes.data() + marker_at);
    if (marker != k_cell_marker) {
        return read_status::corrupt(marker_at, "cella 1: marcatore " + std::to_string(marker) +
                                                   " invece di " + std::to_string(k_cell_marker) +
                                                   " (ogni compilazione che scrive il file lo "
                                                   "timbra)");
    }
    celle cells(whole);
    for (std::size_t i = 0; i < whole; ++i) cells[i] = decode_cella(bytes.data() + i * k_cell_size);
    out = std::move(cells);
    return read_status::success();
}

read_status leggi_testata(std::string_view bytes, testata& out) {
    testata header;
    byte_cursor in(bytes);
    for (int entry = 0; entry < k_testata_entries; ++entry) {
        const std::size_t start = in.offset();
        voce& v = header[static_cast<std::size_t>(entry)];
        const read_status status = decode_voce(in, entry, v);
        if (!status.ok) return status;
        if (entry == k_entry_linea && v.v_i1 != k_header_marker) {
            return read_status::corrupt(start + k_entry_head_size + v.v_nome.size(),
                                        "voce 85: marcatore " + std::to_string(v.v_i1) +
                                            " invece di " + std::to_string(k_header_marker) +
                                            " (ogni compilazione che scrive il file lo timbra)");
        }
    }
    if (in.remaining() > 0) {
        return read_status::corrupt(in.offset(), std::to_string(in.remaining()) +
                                                     " byte in più dopo la voce 86 (la tabella "
                                                     "ha sempre 87 voci)");
    }
    out = std::move(header);
    return read_status::success();
}

// Two walks over the image: the first counts the elements and allocates nothing, so an image
// beyond the longest route is refused before the table is made; the second fills the table and
// checks the shape.
std::optional<seeded_plan_image> seeded_plan_shape(std::string_view bytes) {
    half_shape first, second;
    if (!scan_half(bytes, 0, 0, first) || !scan_half(bytes, first.end, 1, second)) {
        return std::nullopt;
    }
    if (second.end != bytes.size() || first.traced_to != second.traced_to ||
        first.empties != second.empties) {
        return std::nullopt;
    }
    const std::size_t per_half = first.traced_to + 1 + first.empties;
    if (2 * per_half > max_plan_elements()) return std::nullopt;
    const std::size_t last = per_half - 1;
    if (first.traced_to > k_last_traceable && first.traced_to + 2 != last) return std::nullopt;
    return seeded_plan_image{static_cast<std::int32_t>(last),
                             static_cast<std::int32_t>(first.traced_to), first.end};
}

double seeded_plan_image::value(std::string_view bytes, std::int32_t metre, int coord) const {
    const std::size_t half = coord == 0 ? 0 : second_half;
    const char* p = bytes.data() + half;
    if (metre < 2) return le::get_i16(p + 4 * static_cast<std::size_t>(metre) + 2);
    return le::get_f64(p + 8 + 10 * static_cast<std::size_t>(metre - 2) + 2);
}

read_status leggi_geometria(std::string_view bytes, geometria& out) {
    // The shape of every seeded plan is read in one tight pass; anything else is walked element
    // by element, which names what is wrong and where.
    if (const auto image = seeded_plan_shape(bytes)) {
        geometria plan(image->last_metre);
        for (int coord = 0; coord < 2; ++coord) {
            for (std::int32_t metre = 0; metre < 2; ++metre) {
                plan.set_integer(metre, coord, k_seed[coord][metre]);
            }
            for (std::int32_t metre = 2; metre <= image->traced_to; ++metre) {
                plan.set_real(metre, coord, image->value(bytes, metre, coord));
            }
        }
        out = std::move(plan);
        return read_status::success();
    }
    std::size_t count = 0;
    if (const read_status s = counted_plan(byte_cursor(bytes), count); !s.ok) return s;
    const std::size_t per_half = count / 2;
    geometria plan(static_cast<std::int32_t>(per_half - 1));
    const read_status shaped =
        shaped_plan(byte_cursor(bytes), count, [&](std::size_t i, const plan_element& e) {
            const auto metre = static_cast<std::int32_t>(i % per_half);
            const int coord = static_cast<int>(i / per_half);
            if (e.kind == geometria::tag::integer) {
                plan.set_integer(metre, coord, static_cast<std::int16_t>(e.value));
            } else if (e.kind == geometria::tag::real) {
                plan.set_real(metre, coord, e.value);
            }
        });
    if (!shaped.ok) return shaped;
    out = std::move(plan);
    return read_status::success();
}

block_cursor::block_cursor(const byte_source& source, std::size_t start)
    : source_(&source), size_(source.size()), pos_(start) {}

const char* block_cursor::take(std::size_t n) {
    if (pos_ < block_start_ || pos_ + n > block_start_ + block_.size()) {
        // Elements are a few bytes wide: the block holds the piece asked for whole.
        block_start_ = pos_;
        block_.resize(std::min(std::max(k_block, n), size_ - pos_));
        source_->read(block_start_, block_);
    }
    const char* p = block_.data() + (pos_ - block_start_);
    pos_ += n;
    return p;
}

read_status verifica_geometria(const byte_source& bytes, geometry_layout& out) {
    std::size_t count = 0;
    if (const read_status s = counted_plan(block_cursor(bytes, 0), count); !s.ok) return s;
    const std::size_t per_half = count / 2;
    geometry_layout layout;
    layout.last_metre = static_cast<std::int32_t>(per_half - 1);
    const read_status shaped =
        shaped_plan(block_cursor(bytes, 0), count, [&](std::size_t i, const plan_element& e) {
            if (i == per_half) layout.second_half = e.offset;
        });
    if (!shaped.ok) return shaped;
    out = layout;
    return read_status::success();
}

geometry_walk::geometry_walk(const byte_source& bytes, const geometry_layout& layout)
    : last_metre_(layout.last_metre),
      halves_{block_cursor(bytes, 0), block_cursor(bytes, layout.second_half)} {}

bool geometry_walk::next(point& out) {
    if (metre_ > last_metre_) return false;
    out.metre = metre_;
    plan_element e;
    for (int coord = 0; coord < 2; ++coord) {
        // The image was checked whole: every element is there and known.
        next_element(halves_[coord], static_cast<std::size_t>(metre_), e);
        out.kind[coord] = e.kind;
        out.value[coord] = e.value;
    }
    ++metre_;
    return true;
}

read_status verifica_celle_con_testata(std::size_t cell_count, const testata& header) {
    const std::int32_t length = header[k_entry_treno].v_b;
    if (length < 0 || length > k_max_route_length) return read_status::success();
    const auto expected = static_cast<std::size_t>(route_last_cell(length)) + 1;
    if (cell_count == expected) return read_status::success();
    return read_status::corrupt(
        std::min(cell_count, expected) * k_cell_size,
        std::to_string(cell_count) +
            " celle, ma la lunghezza del percorso nella testata (voce 84, " +
            std::to_string(length) + " m) ne dà " + std::to_string(expected) + ", da 0 a " +
            std::to_string(expected - 1));
}

}  // namespace scenario
