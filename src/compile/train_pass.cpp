#include "compile/train_pass.h"

namespace scenario {

void train_pass(run_state& state, description_source& texts, std::int32_t prossimo_cartello,
                compile_diagnostics* diagnostics) {
    (void)state; (void)texts; (void)prossimo_cartello; (void)diagnostics;  // PLACEHOLDER
}

}  // namespace scenario
