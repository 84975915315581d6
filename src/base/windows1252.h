// Conversion between the program's UTF-8 strings and the Windows-1252 bytes of every file the
// scenario package writes. A character without a Windows-1252 mapping (and any malformed UTF-8
// sequence) becomes "?".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scenario {

std::string to_windows1252(std::string_view utf8);
std::string from_windows1252(std::string_view bytes);

// The byte of one character in the code page, when it has one.
std::optional<char> windows1252_byte(char32_t cp);

// Decodes one UTF-8 sequence at text[pos], advancing pos; 0xFFFFFFFF when malformed.
char32_t next_utf8_code_point(std::string_view text, std::size_t& pos);

// Lower case of one Windows-1252 byte, accented letters included.
std::uint8_t lower_windows1252(std::uint8_t byte);

}  // namespace scenario
