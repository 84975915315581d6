#include "base/windows1252.h"

#include <array>

namespace scenario {
namespace {

// Code points of the bytes 0x80 to 0x9F; 0 marks the five bytes the code page leaves undefined.
// clang-format off
constexpr std::array<char32_t, 32> k_high_block = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,   // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,        // 0x88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,   // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};  // 0x98
// clang-format on

char encode(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (std::size_t i = 0; i < k_high_block.size(); ++i) {
        if (k_high_block[i] != 0 && k_high_block[i] == cp) return static_cast<char>(0x80 + i);
    }
    return '?';
}

// Decodes one UTF-8 sequence at text[pos], advancing pos; returns 0xFFFFFFFF when malformed.
char32_t next_code_point(std::string_view text, std::size_t& pos) {
    constexpr char32_t bad = 0xFFFFFFFF;
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else
        return bad;
    for (int i = 0; i < extra; ++i) {
        if (pos >= text.size()) return bad;
        const auto cont = static_cast<unsigned char>(text[pos]);
        if ((cont & 0xC0) != 0x80) return bad;
        cp = (cp << 6) | (cont & 0x3F);
        ++pos;
    }
    return cp;
}

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::optional<char> windows1252_byte(char32_t cp) {
    const char byte = encode(cp);
    if (byte == '?' && cp != U'?') return std::nullopt;
    return byte;
}

char32_t next_utf8_code_point(std::string_view text, std::size_t& pos) {
    return next_code_point(text, pos);
}

std::string to_windows1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) out += encode(next_code_point(utf8, pos));
    return out;
}

std::string from_windows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        char32_t cp = b;
        if (b >= 0x80 && b < 0xA0) cp = k_high_block[b - 0x80] != 0 ? k_high_block[b - 0x80] : U'?';
        append_utf8(out, cp);
    }
    return out;
}

std::uint8_t lower_windows1252(std::uint8_t b) {
    if (b >= 'A' && b <= 'Z') return static_cast<std::uint8_t>(b + 0x20);
    if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return static_cast<std::uint8_t>(b + 0x20);
    switch (b) {
        case 0x8A:
            return 0x9A;  // Š
        case 0x8C:
            return 0x9C;  // Œ
        case 0x8E:
            return 0x9E;  // Ž
        case 0x9F:
            return 0xFF;  // Ÿ
        default:
            return b;
    }
}

}  // namespace scenario
