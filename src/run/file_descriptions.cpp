#include "run/file_descriptions.h"

#include "base/scenario_files.h"
#include "platform/platform.h"

namespace scenario {
namespace {

file_kind kind_of(description_text which) {
    return which == description_text::line ? file_kind::line_description
                                           : file_kind::train_description;
}

}  // namespace

bool file_descriptions::exists(description_text which) {
    return !removed_[static_cast<int>(which)];
}

std::string_view file_descriptions::read(description_text which) {
    std::string& text = read_[static_cast<int>(which)];
    text = platform::read_file(scenario_file(state_, kind_of(which)));
    return text;
}

void file_descriptions::remove(description_text which) {
    platform::delete_file(scenario_file(state_, kind_of(which)));
    removed_[static_cast<int>(which)] = true;
}

std::string file_descriptions::name(description_text which) const {
    return scenario_file_name(state_.nome_linea, state_.codice_treno, kind_of(which));
}

}  // namespace scenario
