// The benchmark program of `make bench`: runs every benchmark (medians of several repetitions
// unless the command line says otherwise), measures the peak memory of a separate compile-and-
// write process, sets whole processes side by side with the floors of writing their bytes, and
// ends with the figures set against the performance targets.
//
// Options of its own, before Google Benchmark's:
//   --processes_only     only the whole-process comparisons and the editor latency
//   --benchmarks_only    only the benchmarks (as --benchmark_filter picks them) and their figures
//   --route_rounds=N     rounds of the largest route's comparison (default 7)
//   --program_rounds=N   rounds of the program run's comparison (default 15)
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bench_support.h"
#include "lsp_latency.h"
#include "process_compare.h"

namespace scenario::bench {
namespace {

constexpr int k_memory_runs = 3;
constexpr double k_reader_target_mb_s = 250;
constexpr double k_write_target_ratio = 1.3;  // against the durable floor
constexpr double k_memory_target_ratio = 1.5;
constexpr double k_program_target_ms = 10;
constexpr double k_decompile_target_ratio = 2.0;  // against a compile of the same texts
// From an edit in the editor to its diagnostics, debounce included.
constexpr double k_lsp_largest_target_ms = 100;
constexpr double k_lsp_60km_target_ms = 50;
constexpr int k_lsp_edits = 21;
// Every view of `scenario-tool dump`, whatever file the format allows.
constexpr double k_dump_target_mb = 32;
constexpr int k_dump_rounds = 5;
// Time per kilometre at a quarter and half of the route may differ from the full route's by
// this fraction and still count as linear growth. The smaller routes' tables stay mostly in the
// last-level cache, so their time per kilometre runs somewhat below the full route's.
constexpr double k_linear_tolerance = 0.3;

struct figure {
    double real_ms = 0;
    double cpu_ms = 0;
    double bytes_per_second = 0;
    std::map<std::string, double> counters;
};

// The console report as usual, keeping the median of every benchmark (or its single run).
class collecting_reporter : public benchmark::ConsoleReporter {
   public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.report_big_o || run.report_rms) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (!median && !single) continue;
            figure f;
            f.real_ms =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
            f.cpu_ms =
                run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
            const auto rate = run.counters.find("bytes_per_second");
            if (rate != run.counters.end()) f.bytes_per_second = rate->second.value;
            // A benchmark that runs other processes counts their processor time itself.
            const auto child = run.counters.find("cpu_ms");
            if (child != run.counters.end()) f.cpu_ms = child->second.value;
            for (const auto& [name, counter] : run.counters) f.counters[name] = counter.value;
            std::string key = run.run_name.function_name;
            if (!run.run_name.args.empty()) key += "/" + run.run_name.args;
            figures_[key] = f;
        }
    }

    std::optional<figure> find(const std::string& key) const {
        const auto it = figures_.find(key);
        if (it == figures_.end()) return std::nullopt;
        return it->second;
    }

   private:
    std::map<std::string, figure> figures_;
};

struct memory_figure {
    double peak_mb = 0;
    double files_mb = 0;
};

// Peak resident memory of the compile-and-write process, the median of a few runs. It is started
// through the runner: a process started from this one would count this one's memory as its own.
std::optional<memory_figure> measure_peak_memory() {
    std::vector<double> peaks;
    double files_mb = 0;
    for (int run = 0; run < k_memory_runs; ++run) {
        const scratch_directory dir;
        const std::optional<process_sample> s =
            run_process({SCENARIO_PEAK_MEMORY_PATH, dir.path().string()});
        if (!s || s->exit_status != 0) return std::nullopt;
        peaks.push_back(s->peak_mb);
        files_mb = static_cast<double>(directory_bytes(dir.path())) / 1e6;
    }
    std::sort(peaks.begin(), peaks.end());
    return memory_figure{peaks[peaks.size() / 2], files_mb};
}

const char* verdict(bool met) { return met ? "met" : "MISSED"; }

void print_reader(const collecting_reporter& r) {
    if (const auto f = r.find("item_reader_throughput")) {
        const double mb_s = f->bytes_per_second / 1e6;
        std::printf("  item reader                      %9.1f MB/s   target >= %.0f MB/s    %s\n",
                    mb_s, k_reader_target_mb_s, verdict(mb_s >= k_reader_target_mb_s));
    }
}

void print_growth(const collecting_reporter& r) {
    const auto full = r.find("compile_in_memory/1000");
    if (!full) return;
    const double full_per_km = full->real_ms / 1000;
    bool linear = true;
    for (const int kilometres : {250, 500, 1000}) {
        const auto f = r.find("compile_in_memory/" + std::to_string(kilometres));
        if (!f) continue;
        const double km = kilometres;
        const double relative = f->real_ms / km / full_per_km;
        linear = linear && relative >= 1 - k_linear_tolerance && relative <= 1 + k_linear_tolerance;
        std::printf("  compile in memory, %4.0f km       %9.2f ms     %.1f us/km (%.2f of full)\n",
                    km, f->real_ms, f->real_ms / km * 1e3, relative);
    }
    std::printf("  growth with route length                          target linear         %s\n",
                verdict(linear));
}

void print_writing(const collecting_reporter& r) {
    const auto written = r.find("compile_and_write");
    const auto plain = r.find("write_floor/durable:0");
    const auto durable = r.find("write_floor/durable:1");
    if (!written || !plain || !durable) return;
    const double ratio = written->real_ms / durable->real_ms;
    std::printf("  compile and write, 1000 km       %9.2f ms     (processor %.2f ms)\n",
                written->real_ms, written->cpu_ms);
    std::printf("  floor: durable writes            %9.2f ms     (processor %.2f ms)\n",
                durable->real_ms, durable->cpu_ms);
    std::printf("  floor: plain writes              %9.2f ms     (processor %.2f ms)\n",
                plain->real_ms, plain->cpu_ms);
    std::printf("  ratio (compile and write)/durable %8.2f      target <= %.1f          %s\n",
                ratio, k_write_target_ratio, verdict(ratio <= k_write_target_ratio));
    std::printf("  ratio (compile and write)/plain  %9.2f\n", written->real_ms / plain->real_ms);
}

void print_memory(const std::optional<memory_figure>& m) {
    if (!m) {
        std::printf("  peak memory: the compile-and-write process failed\n");
        return;
    }
    const double ratio = m->peak_mb / m->files_mb;
    std::printf("  peak memory of compile and write %9.1f MB     files %.1f MB\n", m->peak_mb,
                m->files_mb);
    std::printf("  ratio peak memory/files          %9.2f      target <= %.1f          %s\n", ratio,
                k_memory_target_ratio, verdict(ratio <= k_memory_target_ratio));
}

void print_program(const collecting_reporter& r) {
    if (const auto f = r.find("program_run")) {
        std::printf("  whole run of the program         %9.2f ms     target < %.0f ms        %s\n",
                    f->real_ms, k_program_target_ms, verdict(f->real_ms < k_program_target_ms));
        std::printf("  processor time of that run       %9.2f ms\n", f->cpu_ms);
    }
    const auto against = r.find("program_run_against_floor");
    if (against && against->counters.count("ratio") && against->counters.count("run_ms") &&
        against->counters.count("floor_ms")) {
        const std::map<std::string, double>& c = against->counters;
        const double ratio = c.at("ratio");
        std::printf("  run of the program, alternating  %9.2f ms\n", c.at("run_ms"));
        std::printf("  floor: the run's file work, C    %9.2f ms\n", c.at("floor_ms"));
        std::printf("  ratio run/C floor of its work    %9.2f      target <= %.1f          %s\n",
                    ratio, k_write_target_ratio,
                    verdict(ratio > 0 && ratio <= k_write_target_ratio));
    }
}

void print_decompile(const collecting_reporter& r) {
    const auto f = r.find("decompile_process");
    if (!f) return;
    const auto against = f->counters.find("against_ms");
    if (against == f->counters.end() || against->second <= 0) return;
    const double ratio = f->real_ms / against->second;
    std::printf("  decompile process, 1000 km       %9.2f ms     (processor %.2f ms)\n", f->real_ms,
                f->cpu_ms);
    std::printf("  compile process, same texts      %9.2f ms\n", against->second);
    std::printf("  ratio decompile/compile          %9.2f      target <= %.1f          %s\n", ratio,
                k_decompile_target_ratio, verdict(ratio <= k_decompile_target_ratio));
}

// One table of whole processes: the writer, then the durable and the plain floor.
void print_processes(const char* title, const process_comparison& c, bool memory_target) {
    std::printf("\n%s: medians of %d alternating rounds, %zu files, %.2f MB,\n", title, c.rounds,
                c.files, c.output_mb);
    std::printf("  written in %s (%s)%s\n", c.directory.c_str(), c.file_system.c_str(),
                c.same_bytes ? "" : "; FILES DIFFER FROM THE REFERENCE SET");
    if (c.figures.size() < 3) {
        std::printf("  the comparison could not be set up\n");
        return;
    }
    std::printf("  %-36s %10s %14s %10s\n", "", "wall ms", "processor ms", "peak MB");
    for (const process_figure& f : c.figures) {
        std::printf("  %-36s %10.2f %14.2f %10.1f%s\n", f.name.c_str(), f.wall_ms, f.cpu_ms,
                    f.peak_mb, f.failed ? "   (A RUN FAILED)" : "");
    }
    const process_figure& writer = c.figures[0];
    const double durable = writer.wall_ms / c.figures[1].wall_ms;
    std::printf("  ratio writer/durable floor       %9.2f      target <= %.1f          %s\n",
                durable, k_write_target_ratio,
                verdict(durable <= k_write_target_ratio && !writer.failed && c.same_bytes));
    std::printf("  ratio writer/plain floor         %9.2f\n",
                writer.wall_ms / c.figures[2].wall_ms);
    std::printf("  durability, floor durable/plain  %9.2f      (%.2f ms)\n",
                c.figures[1].wall_ms / c.figures[2].wall_ms,
                c.figures[1].wall_ms - c.figures[2].wall_ms);
    if (c.figures.size() > 3) {
        const double ratio = writer.wall_ms / c.figures[3].wall_ms;
        std::printf("  ratio writer/C floor of its work %9.2f      target <= %.1f          %s\n",
                    ratio, k_write_target_ratio,
                    verdict(ratio <= k_write_target_ratio && !writer.failed && c.same_bytes));
    }
    if (memory_target) {
        const double ratio = writer.peak_mb / c.output_mb;
        std::printf("  ratio writer's peak memory/output %8.2f      target <= %.1f          %s\n",
                    ratio, k_memory_target_ratio, verdict(ratio <= k_memory_target_ratio));
    }
}

int parse_rounds(std::string_view arg, std::string_view name, int fallback) {
    if (!arg.starts_with(name)) return fallback;
    return std::max(1, std::stoi(std::string(arg.substr(name.size()))));
}

void print_lsp(const char* what, const std::optional<lsp_latency>& l, double target) {
    if (!l) {
        std::printf("  editor latency, %s: the language server failed\n", what);
        return;
    }
    std::printf("  editor latency, %-4d km route     %9.2f ms     target <= %3.0f ms       %s\n",
                l->route_km, l->median_ms, target, verdict(l->median_ms <= target));
    std::printf("    (median of %d edits, change to diagnostics; slowest %.2f ms)\n", l->edits,
                l->worst_ms);
}

void print_dumps(const std::vector<process_figure>& dumps) {
    std::printf("\nscenario-tool dump of the largest route's files, medians of %d rounds:\n",
                k_dump_rounds);
    if (dumps.empty()) std::printf("  the files could not be written\n");
    for (const process_figure& f : dumps) {
        const bool met = f.peak_mb < k_dump_target_mb && !f.failed;
        std::printf("  %-30s %7.1f MB peak, %8.2f ms   target < %.0f MB   %s%s\n", f.name.c_str(),
                    f.peak_mb, f.wall_ms, k_dump_target_mb, verdict(met),
                    f.failed ? " (A RUN FAILED)" : "");
    }
}

}  // namespace
}  // namespace scenario::bench

int main(int argc, char** argv) {
    using namespace scenario::bench;
    // Medians of five repetitions unless the command line sets the repetitions itself: with a
    // single run there is no median, and showing aggregates only would hide the runs.
    std::vector<char*> args = {argv[0]};
    bool repetitions_given = false;
    bool processes_only = false;
    bool benchmarks_only = false;
    int route_rounds = 7;
    int program_rounds = 15;
    std::vector<char*> passed;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--processes_only") {
            processes_only = true;
        } else if (arg == "--benchmarks_only") {
            benchmarks_only = true;
        } else if (arg.starts_with("--route_rounds=")) {
            route_rounds = parse_rounds(arg, "--route_rounds=", route_rounds);
        } else if (arg.starts_with("--program_rounds=")) {
            program_rounds = parse_rounds(arg, "--program_rounds=", program_rounds);
        } else {
            repetitions_given = repetitions_given || arg.starts_with("--benchmark_repetitions");
            passed.push_back(argv[i]);
        }
    }
    std::string repetitions = "--benchmark_repetitions=5";
    std::string aggregates = "--benchmark_display_aggregates_only=true";
    if (!repetitions_given) {
        args.push_back(repetitions.data());
        args.push_back(aggregates.data());
    }
    args.insert(args.end(), passed.begin(), passed.end());
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);

    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    // Every process benchmark writes its files under the scratch directories' parent.
    const std::filesystem::path scratch = std::filesystem::temp_directory_path();
    benchmark::AddCustomContext("scratch_directory", scratch.string());
    benchmark::AddCustomContext("scratch_file_system", statfs_type_name(scratch));
    collecting_reporter reporter;
    std::optional<memory_figure> memory;
    if (!processes_only) {
        benchmark::RunSpecifiedBenchmarks(&reporter);
        if (!benchmarks_only) memory = measure_peak_memory();
    }
    benchmark::Shutdown();
    if (benchmarks_only) {
        std::printf("\nFigures against the targets (medians):\n");
        print_reader(reporter);
        print_growth(reporter);
        print_writing(reporter);
        print_program(reporter);
        print_decompile(reporter);
        return 0;
    }

    const process_comparison route = compare_largest_route(route_rounds);
    const process_comparison program = compare_program_run(program_rounds);
    const std::vector<process_figure> dumps = measure_largest_dumps(k_dump_rounds);
    // The largest route, and a 60 km one: the route and every count of the largest scaled down.
    scenario::synthetic_size medium = scenario::scaled_size(16);
    medium.route_length = 60000;
    const std::optional<lsp_latency> lsp_largest =
        measure_lsp_latency(scenario::synthetic_size{}, k_lsp_edits);
    const std::optional<lsp_latency> lsp_medium = measure_lsp_latency(medium, k_lsp_edits);

    std::printf("\nFigures against the targets (medians):\n");
    if (!processes_only) {
        print_reader(reporter);
        print_growth(reporter);
        print_writing(reporter);
        print_memory(memory);
        print_program(reporter);
        print_decompile(reporter);
    }
    print_processes("The largest route as a whole process", route, true);
    print_processes("The program's own run as a whole process", program, false);
    print_dumps(dumps);
    std::printf("\nThe language server (scenario-tool lsp) as a process of its own:\n");
    print_lsp("largest", lsp_largest, k_lsp_largest_target_ms);
    print_lsp("60 km", lsp_medium, k_lsp_60km_target_ms);
    return 0;
}
