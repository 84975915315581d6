// The whole compile of the synthetic scenario, from the two texts through the spacing pass and
// the identity codes to the three serialised images: in memory at a quarter, half and the whole
// of the largest route (growth must be linear), then ending in the three files on disk, against
// the floors of writing the same bytes with one write per file, plainly and durably.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_support.h"
#include "output/binary_files.h"

namespace scenario::bench {
namespace {

constexpr const char* k_unclean = "the synthetic scenario did not compile cleanly";

// Argument: the route in kilometres, a quarter, half or the whole of the largest scenario, with
// every count scaled alike.
void compile_in_memory(benchmark::State& state) {
    const auto kilometres = static_cast<std::int32_t>(state.range(0));
    const synthetic_size size = scaled_size(synthetic_size{}.route_length / 1000 / kilometres);
    const synthetic_texts texts = make_synthetic_scenario(size);
    std::size_t bytes = 0;
    for (auto _ : state) {
        run_state compiled = state_in({});
        if (compile_texts(compiled, texts) != 0) {
            state.SkipWithError(k_unclean);
            break;
        }
        const file_images images = serialise_all(compiled);
        benchmark::DoNotOptimize(images.geometry.data());
        bytes = images.total();
    }
    state.SetComplexityN(size.route_length);
    state.counters["files_MB"] = static_cast<double>(bytes) / 1e6;
}

void compile_and_write(benchmark::State& state) {
    const synthetic_texts texts = make_synthetic_scenario(synthetic_size{});
    const scratch_directory dir;
    for (auto _ : state) {
        run_state compiled = state_in(dir.path());
        if (compile_texts(compiled, texts) != 0) {
            state.SkipWithError(k_unclean);
            break;
        }
        scrivi_file_binari(compiled, directory_flush::here);
    }
    state.counters["files_MB"] = static_cast<double>(directory_bytes(dir.path())) / 1e6;
}

// The same bytes, already in memory, written with one write per file: plainly (argument 0) or
// durably (argument 1: an fsync of each file and one of the directory).
void write_floor(benchmark::State& state) {
    run_state compiled = state_in({});
    if (compile_texts(compiled, make_synthetic_scenario(synthetic_size{})) != 0) {
        state.SkipWithError(k_unclean);
        return;
    }
    const file_images images = serialise_all(compiled);
    const scratch_directory dir;
    const bool durable = state.range(0) != 0;
    for (auto _ : state) {
        if (durable) {
            durable_write(dir.path(), images);
        } else {
            plain_write(dir.path(), images);
        }
    }
    state.counters["files_MB"] = static_cast<double>(images.total()) / 1e6;
}

BENCHMARK(compile_in_memory)
    ->Arg(250)
    ->Arg(500)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Complexity(benchmark::oN);
BENCHMARK(compile_and_write)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(write_floor)
    ->ArgName("durable")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace scenario::bench
