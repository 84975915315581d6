// How one fuzz input carries what a target needs, shared by the fuzz targets and the generator
// of their seeds so that a seed means to a target exactly what the generator meant.
//
// Compile input:
//   byte 0      options: bit 0 set = compile without the plan geometry (j = 0),
//               bit 1 set = no line text, bit 2 set = no train text
//   bytes 1...  the line text up to the first 0x00 byte, then the train text (the rest)
//
// Reader input:
//   byte 0      which reader, modulo 3: 0 cells, 1 header table, 2 line geometry
//   bytes 1...  the file image
//
// HTTP input:
//   bytes 0-1   the loopback server's port, least significant byte first (missing bytes are 0)
//   bytes 2...  what a client has sent so far
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scenario::fuzz {

inline constexpr std::uint8_t k_without_geometry = 1;
inline constexpr std::uint8_t k_without_line = 2;
inline constexpr std::uint8_t k_without_train = 4;

struct compile_input {
    std::optional<std::string> line;
    std::optional<std::string> train;
    std::int32_t j = 1;
};

inline compile_input split_compile_input(std::string_view data) {
    const std::uint8_t options = data.empty() ? 0 : static_cast<std::uint8_t>(data.front());
    if (!data.empty()) data.remove_prefix(1);
    const std::size_t cut = data.find('\0');
    compile_input input;
    input.j = (options & k_without_geometry) != 0 ? 0 : 1;
    if ((options & k_without_line) == 0) input.line = std::string(data.substr(0, cut));
    if ((options & k_without_train) == 0) {
        input.train =
            cut == std::string_view::npos ? std::string() : std::string(data.substr(cut + 1));
    }
    return input;
}

// The input that split_compile_input turns back into these texts (a line text holding 0x00
// cannot be carried, and is cut there).
inline std::string join_compile_input(const compile_input& input) {
    std::uint8_t options = input.j == 0 ? k_without_geometry : 0;
    if (!input.line) options |= k_without_line;
    if (!input.train) options |= k_without_train;
    std::string data(1, static_cast<char>(options));
    data += input.line.value_or("");
    data += '\0';
    data += input.train.value_or("");
    return data;
}

enum class reader_kind : std::uint8_t { cells = 0, header_table = 1, line_geometry = 2 };

inline std::string join_reader_input(reader_kind kind, std::string_view image) {
    std::string data(1, static_cast<char>(kind));
    data += image;
    return data;
}

struct http_input {
    std::uint16_t port = 0;
    std::string_view received;
};

inline http_input split_http_input(std::string_view data) {
    http_input input;
    for (std::size_t i = 0; i < 2 && i < data.size(); ++i) {
        input.port |= static_cast<std::uint16_t>(static_cast<std::uint8_t>(data[i]) << (8 * i));
    }
    input.received = data.substr(std::min<std::size_t>(data.size(), 2));
    return input;
}

inline std::string join_http_input(std::uint16_t port, std::string_view received) {
    std::string data;
    data += static_cast<char>(port & 0xff);
    data += static_cast<char>(port >> 8);
    data += received;
    return data;
}

}  // namespace scenario::fuzz
