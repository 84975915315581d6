#include "output/text_files.h"

#include "base/fixed_text.h"
#include "platform/platform.h"

namespace scenario {

void write_fixed_text(run_state& state, file_kind kind, std::span<const std::string_view> table,
                      platform::file_life life) {
    const std::string bytes = render_fixed_text(table, state.indice);
    platform::replace_file(scenario_file(state, kind), bytes, life);
}

}  // namespace scenario
