// The language server's latency from an edit to its diagnostics, measured on a process of its
// own (Linux only, as the benchmarks are).
#pragma once

#include <optional>

#include "testkit/synthetic_scenario.h"

namespace scenario::bench {

struct lsp_latency {
    int route_km = 0;
    int edits = 0;
    double median_ms = 0;
    double worst_ms = 0;
};

// Nothing when the server could not be started or stopped answering.
std::optional<lsp_latency> measure_lsp_latency(const synthetic_size& size, int edits);

}  // namespace scenario::bench
