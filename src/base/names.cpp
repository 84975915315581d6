#include "base/names.h"

#include <algorithm>
#include <vector>

namespace scenario {
namespace {

char folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::size_t edit_distance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            const std::size_t change = folded(a[i - 1]) == folded(b[j - 1]) ? 0 : 1;
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + change});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::optional<std::string_view> nearest_name(std::string_view typed,
                                             std::span<const std::string_view> candidates) {
    std::optional<std::string_view> best;
    std::size_t best_distance = 0;
    for (const std::string_view name : candidates) {
        const std::size_t d = edit_distance(typed, name);
        if (!best || d < best_distance) {
            best = name;
            best_distance = d;
        }
    }
    const std::size_t most = std::max<std::size_t>(2, typed.size() / 4);
    if (!best || best_distance > most || *best == typed) return std::nullopt;
    return best;
}

}  // namespace scenario
