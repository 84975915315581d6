#include "compile/signal_spacing.h"

namespace scenario {

std::int16_t minimo(std::int16_t x, std::int16_t y) { return x > y ? y : x; }

void signal_spacing_pass(run_state& state) { (void)state; }  // PLACEHOLDER

}  // namespace scenario
