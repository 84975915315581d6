// Conversion between the program's UTF-8 strings and the Windows-1252 bytes of every file the
// scenario package writes. A character without a Windows-1252 mapping (and any malformed UTF-8
// sequence) becomes "?".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scenario {

std::string to_windows1252(std::string_view utf8);
std::string from_windows1252(std::string_view bytes);

// Lower case of one Windows-1252 byte, accented letters included.
std::uint8_t lower_windows1252(std::uint8_t byte);

}  // namespace scenario
