// Decoders of the three binary scenario files. Every read goes through a cursor that checks the
// remaining length first, so a damaged image can only end in a fault, never in a stray read.
#include "output/binary_readers.h"

#include <cstdint>
#include <limits>
#include <vector>

#include "output/binary_files.h"
#include "output/little_endian.h"

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

// One element read from the file, before the table's size is known.
struct plan_element {
    geometria::tag kind;
    double value;
};

read_status scan_geometria(std::string_view bytes, std::vector<plan_element>& elements) {
    byte_cursor in(bytes);
    while (in.remaining() > 0) {
        const std::size_t at = in.offset();
        const std::string label = "elemento " + std::to_string(elements.size());
        if (!in.has(2)) return read_status::corrupt(at, label + " troncato: manca metà del tipo");
        const std::uint16_t tag = le::get_u16(in.take(2));
        const int width = payload_size(tag);
        if (width < 0) {
            return read_status::corrupt(at, label + ": tipo sconosciuto " + std::to_string(tag) +
                                                " (ammessi 0 vuoto, 2 intero, 5 reale)");
        }
        if (!in.has(static_cast<std::size_t>(width))) {
            return read_status::corrupt(
                in.offset(), label + " troncato: il valore richiede " + std::to_string(width) +
                                 " byte, ne restano " + std::to_string(in.remaining()));
        }
        const char* p = in.take(static_cast<std::size_t>(width));
        const auto kind = static_cast<geometria::tag>(tag);
        double value = 0.0;
        if (kind == geometria::tag::integer) value = le::get_i16(p);
        if (kind == geometria::tag::real) value = le::get_f64(p);
        elements.push_back({kind, value});
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
    celle cells(whole);
    for (std::size_t i = 0; i < whole; ++i) cells[i] = decode_cella(bytes.data() + i * k_cell_size);
    out = std::move(cells);
    return read_status::success();
}

read_status leggi_testata(std::string_view bytes, testata& out) {
    testata header;
    byte_cursor in(bytes);
    for (int entry = 0; entry < k_testata_entries; ++entry) {
        const read_status status = decode_voce(in, entry, header[static_cast<std::size_t>(entry)]);
        if (!status.ok) return status;
    }
    if (in.remaining() > 0) {
        return read_status::corrupt(in.offset(), std::to_string(in.remaining()) +
                                                     " byte in più dopo la voce 86 (la tabella "
                                                     "ha sempre 87 voci)");
    }
    out = std::move(header);
    return read_status::success();
}

read_status leggi_geometria(std::string_view bytes, geometria& out) {
    std::vector<plan_element> elements;
    const read_status scanned = scan_geometria(bytes, elements);
    if (!scanned.ok) return scanned;
    if (elements.empty()) return read_status::corrupt(0, "file vuoto: manca anche il metro 0");
    if (elements.size() % 2 != 0 ||
        elements.size() / 2 > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        return read_status::corrupt(bytes.size(), "numero di elementi " +
                                                      std::to_string(elements.size()) +
                                                      " non valido: servono due coordinate "
                                                      "per ogni metro");
    }
    const auto last_metre = static_cast<std::int32_t>(elements.size() / 2 - 1);
    geometria plan(last_metre);
    const std::size_t per_coordinate = elements.size() / 2;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const auto metre = static_cast<std::int32_t>(i % per_coordinate);
        const int coord = static_cast<int>(i / per_coordinate);
        if (elements[i].kind == geometria::tag::integer) {
            plan.set_integer(metre, coord, static_cast<std::int16_t>(elements[i].value));
        } else if (elements[i].kind == geometria::tag::real) {
            plan.set_real(metre, coord, elements[i].value);
        }
    }
    out = std::move(plan);
    return read_status::success();
}

}  // namespace scenario
