// Numbers as the tool writes them for an author: the Italian decimal comma, no trailing zeros,
// and metres as kilometres so. The picture's labels and the comparison of two sets share them.
#pragma once

#include <string>

namespace scenario::tool {

// "12", "12,5": at most `decimals` decimals; never "-0".
std::string decimal_text(double value, int decimals);
// Metres as kilometres: km_text(12500) is "12,5".
std::string km_text(double metres, int decimals = 1);

}  // namespace scenario::tool
