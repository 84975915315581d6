// `scenario-tool decompile` of the largest synthetic route as a user starts it, a whole process
// from the three binary files to the two texts, set against a `scenario-tool compile` process of
// the same texts: the way back may cost at most twice the way there. The two processes run in
// turn within each iteration, the first of the pair changing from one iteration to the next, so
// that a change in the machine's load falls on both alike.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/scenario_files.h"
#include "bench_support.h"
#include "output/binary_files.h"
#include "process_compare.h"
#include "run/run_sequence.h"

namespace scenario::bench {
namespace {

namespace fs = std::filesystem;

std::string file_name(file_kind kind) {
    return scenario_file_name(std::string(k_nome_linea), std::string(k_codice_treno), kind);
}

// Manual time: the decompile's wall time. Counter against_ms: the compile's, per iteration.
void decompile_process(benchmark::State& state) {
    const scratch_directory root;
    const fs::path texts_dir = root.path() / "texts", binaries = root.path() / "binaries",
                   compiled = root.path() / "compiled", decompiled = root.path() / "decompiled";
    for (const fs::path& d : {texts_dir, binaries, compiled, decompiled}) fs::create_directory(d);

    const synthetic_texts texts = write_largest_texts(texts_dir);
    {
        run_state s = state_in(binaries);
        if (compile_texts(s, texts) != 0) {
            state.SkipWithError("the synthetic scenario did not compile cleanly");
            return;
        }
        scrivi_file_binari(s, directory_flush::here);
    }
    const std::string line(k_nome_linea), train(k_codice_treno);
    const std::vector<std::string> decompile = {SCENARIO_TOOL_PATH,
                                                "decompile",
                                                binaries.string(),
                                                "--line",
                                                line,
                                                "--train",
                                                train,
                                                "--out",
                                                decompiled.string(),
                                                "--force"};
    const std::vector<std::string> compile = {SCENARIO_TOOL_PATH,
                                              "compile",
                                              texts_dir.string(),
                                              "--line",
                                              line,
                                              "--train",
                                              train,
                                              "--out",
                                              compiled.string()};

    // Once untimed, to fill the caches and to see that both run to a clean exit.
    for (const auto* argv : {&decompile, &compile}) {
        const std::optional<process_sample> s = run_process(*argv);
        if (!s || s->exit_status != 0) {
            state.SkipWithError(argv == &decompile ? "decompile did not run to a clean exit"
                                                   : "compile did not run to a clean exit");
            return;
        }
    }
    double compile_ms = 0, decompile_cpu_ms = 0;
    bool decompile_first = true;
    for (auto _ : state) {
        std::optional<process_sample> d, c;
        for (int turn = 0; turn < 2; ++turn) {
            settle(root.path());
            if ((turn == 0) == decompile_first) {
                d = run_process(decompile);
            } else {
                c = run_process(compile);
            }
        }
        decompile_first = !decompile_first;
        if (!d || !c || d->exit_status != 0 || c->exit_status != 0) {
            state.SkipWithError("a process did not run to a clean exit");
            break;
        }
        state.SetIterationTime(d->wall_ms / 1e3);
        compile_ms += c->wall_ms;
        decompile_cpu_ms += d->cpu_ms;
    }
    state.counters["against_ms"] =
        benchmark::Counter(compile_ms, benchmark::Counter::kAvgIterations);
    state.counters["cpu_ms"] =
        benchmark::Counter(decompile_cpu_ms, benchmark::Counter::kAvgIterations);
}

BENCHMARK(decompile_process)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
}  // namespace scenario::bench
