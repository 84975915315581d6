// Numbers as an author reads them: the Italian decimal comma, no trailing zeros.
#include "cli/decimal_text.h"

#include <algorithm>
#include <charconv>

namespace scenario::tool {

std::string km_text(double metres, int decimals) { return decimal_text(metres / 1000, decimals); }

std::string decimal_text(double value, int decimals) {
    char buffer[32];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string s(buffer, r.ptr);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    std::replace(s.begin(), s.end(), '.', ',');
    return s == "-0" ? "0" : s;
}

}  // namespace scenario::tool
