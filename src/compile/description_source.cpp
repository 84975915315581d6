#include "compile/description_source.h"

#include <stdexcept>

namespace scenario {

std::string_view memory_descriptions::read(description_text which) {
    if (!exists(which)) throw std::runtime_error("testo di descrizione mancante: " + name(which));
    return *texts_[index(which)];
}

}  // namespace scenario
