// The style sheet and the scripts of the page `scenario-tool view` writes. They live as their
// own files in tools/view and are turned into string literals at build time
// (cmake/embed_view_assets.cmake).
#pragma once

#include <span>
#include <string_view>

namespace scenario::tool::view_assets {

std::string_view style();
// The scripts in the order they run; together they form one script.
std::span<const std::string_view> scripts();

}  // namespace scenario::tool::view_assets
