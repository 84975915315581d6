// How the line pass classifies an item of the line text: the keywords of its two kinds of
// records, section headers and bare numbers. The pass uses these to end the general section
// and to tell scenario authors about items it passes over.
#pragma once

#include <string_view>

namespace scenario {

// Whether the item passes one of the record tests of the general section (the progressives and
// backgrounds with case, the rest in any case).
bool generale_keyword(std::string_view item);

// Whether the item passes one of the record tests after the general section. Curves count even
// when no geometry is built: their records are passed over then by design.
bool feature_keyword(std::string_view item);

// The header that closes the general section; an item beginning with "-" is never one.
bool ends_generale(std::string_view item);

}  // namespace scenario
