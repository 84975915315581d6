// The identity codes are plain sums over the Windows-1252 bytes the header table already holds,
// so they come out the same as the bytes the simulator reads back from the written files.
#include "compile/identity.h"

#include <string>

#include "output/windows1252.h"

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

std::int32_t stamp_identity(run_state& state) {
    voce& linea = state.testata[k_entry_linea];
    cella& first = state.celle.at(1);
    if (linea.v_i1 != 0 || first.val1 != 0) return 1250;
    linea.v_i1 = k_header_marker;
    first.val1 = k_cell_marker;
    if (linea.v_l != 0 || first.val2 != 0) return 1251;
    linea.v_l = codice_gara_st(state.testata);
    first.val2 = codice_gara_og(state.testata);
    return 0;
}

}  // namespace scenario
