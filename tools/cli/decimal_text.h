// Numbers as the tool writes them for an author: the Italian decimal comma, no trailing zeros,
// metres as kilometres so, and times of day. The picture's labels, dump and the comparison of two
// sets share them.
#pragma once

#include <cstdint>
#include <string>

namespace scenario::tool {

// "12", "12,5": at most `decimals` decimals; never "-0".
std::string decimal_text(double value, int decimals);
// Metres as kilometres: km_text(12500) is "12,5".
std::string km_text(double metres, int decimals = 1);

// "6:05:00": hours, then minutes and seconds in two digits each.
std::string clock_text(std::int64_t hours, std::int64_t minutes, std::int64_t seconds);
// A time in seconds from midnight so.
std::string time_of_day_text(std::int64_t seconds);

}  // namespace scenario::tool
