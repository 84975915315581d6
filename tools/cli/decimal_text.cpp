// Numbers as an author reads them: the Italian decimal comma, no trailing zeros; times of day.
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

std::string clock_text(std::int64_t hours, std::int64_t minutes, std::int64_t seconds) {
    const auto two = [](std::int64_t v) {
        std::string text = v >= 0 && v < 10 ? "0" : "";
        text += std::to_string(v);
        return text;
    };
    return std::to_string(hours) + ":" + two(minutes) + ":" + two(seconds);
}

std::string time_of_day_text(std::int64_t seconds) {
    return clock_text(seconds / 3600, seconds / 60 % 60, seconds % 60);
}

}  // namespace scenario::tool
