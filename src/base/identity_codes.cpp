// The identity codes are plain sums over the Windows-1252 bytes the header table already holds,
// so they come out the same as the bytes the simulator reads back from the written files.
#include "base/identity_codes.h"

#include <string>

#include "base/windows1252.h"

namespace scenario {
namespace {

constexpr std::string_view k_padding = "aabbccddeeffgghhiillmmnnoo";
constexpr std::size_t k_identity_length = 25;

// Characters 1 to 25 of: train code, line name, lower-cased, then the padding.
std::string identity_string(const testata& header) {
    std::string joined = header[k_entry_codici].v_nome + header[k_entry_linea].v_nome;
    for (char& c : joined) c = static_cast<char>(lower_windows1252(static_cast<std::uint8_t>(c)));
    joined += k_padding;
    joined.resize(k_identity_length);
    return joined;
}

}  // namespace

std::int16_t codice_gara_og(const testata& header) {
    int sum = 0;
    for (const char c : identity_string(header)) sum += static_cast<unsigned char>(c);
    return static_cast<std::int16_t>(sum);  // at most 25 x 255 = 6375
}

std::int32_t codice_gara_st(const testata& header) {
    std::int32_t sum = 0;
    const std::string id = identity_string(header);
    for (std::size_t p = 0; p < id.size(); ++p) {
        sum += static_cast<unsigned char>(id[p]) * static_cast<std::int32_t>(p + 1);
    }
    return sum;
}

}  // namespace scenario
