// The header table read back in the records' terms: which entries hold stations and which hold
// the texts of signs, and the names they give.
#pragma once

#include <cstdint>
#include <string>

#include "base/records.h"

namespace scenario::tool {

// Whether an entry holds nothing but a text, as a sign's entry does.
bool holds_only_text(const voce& v);

// Which entries of a header table hold stations and which hold sign texts: stations fill 1, 2,
// 3, ... and signs 80, 79, ... (a sign entry holds nothing but its text).
struct header_layout {
    int first_sign = 81;   // the lowest sign entry; 81 when there is none
    int last_station = 0;  // the highest non-empty entry below first_sign; 0 when none
};
header_layout layout_of(const testata& header);

// The name of a header entry (a station or a sign) as a label shows it, UTF-8 and trimmed; a
// sign's lines "(A)(B)" read "A / B". Empty for an entry outside the table.
std::string entry_text(const testata& header, std::int16_t entry);

}  // namespace scenario::tool
