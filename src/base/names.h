// How near one name is to another: what an author meant when a keyword, a section header or a
// file name is slightly misspelt.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace scenario {

// The edits (insert, delete, change of one byte) that turn a into b, ignoring the case of ASCII
// letters.
std::size_t edit_distance(std::string_view a, std::string_view b);

// The candidate nearest `typed`, when it is near enough to be a slip of the keys (a few edits for
// its length) and not `typed` itself; ties go to the first.
std::optional<std::string_view> nearest_name(std::string_view typed,
                                             std::span<const std::string_view> candidates);

}  // namespace scenario
