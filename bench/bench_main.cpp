// The benchmark program of `make bench`: runs every benchmark (medians of several repetitions
// unless the command line says otherwise), measures the peak memory of a separate compile-and-
// write process, and ends with the figures set against the performance targets.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bench_support.h"

extern char** environ;

namespace scenario::bench {
namespace {

constexpr int k_memory_runs = 3;
constexpr double k_reader_target_mb_s = 250;
constexpr double k_write_target_ratio = 2;
constexpr double k_memory_target_ratio = 3;
constexpr double k_program_target_ms = 10;
// Time per kilometre at a quarter and half of the route may differ from the full route's by
// this fraction and still count as linear growth. The smaller routes' tables stay mostly in the
// last-level cache, so their time per kilometre runs somewhat below the full route's.
constexpr double k_linear_tolerance = 0.3;

struct figure {
    double real_ms = 0;
    double cpu_ms = 0;
    double bytes_per_second = 0;
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

// Peak resident memory of the compile-and-write process, the median of a few runs.
std::optional<memory_figure> measure_peak_memory() {
    std::vector<long> peaks;
    double files_mb = 0;
    for (int run = 0; run < k_memory_runs; ++run) {
        const scratch_directory dir;
        std::string program = SCENARIO_PEAK_MEMORY_PATH;
        std::string directory = dir.path().string();
        char* argv[] = {program.data(), directory.data(), nullptr};
        pid_t pid = 0;
        if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
            return std::nullopt;
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return std::nullopt;
        peaks.push_back(usage.ru_maxrss);  // KiB
        files_mb = static_cast<double>(directory_bytes(dir.path())) / 1e6;
    }
    std::sort(peaks.begin(), peaks.end());
    return memory_figure{static_cast<double>(peaks[peaks.size() / 2]) * 1024 / 1e6, files_mb};
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
    const auto floor = r.find("plain_write_floor");
    if (!written || !floor) return;
    const double ratio = written->real_ms / floor->real_ms;
    std::printf("  compile and write, 1000 km       %9.2f ms     (processor %.2f ms)\n",
                written->real_ms, written->cpu_ms);
    std::printf("  floor: plain writes, same bytes  %9.2f ms     (processor %.2f ms)\n",
                floor->real_ms, floor->cpu_ms);
    std::printf("  ratio (compile and write)/floor  %9.2f      target <= %.0f            %s\n",
                ratio, k_write_target_ratio, verdict(ratio <= k_write_target_ratio));
}

void print_memory(const std::optional<memory_figure>& m) {
    if (!m) {
        std::printf("  peak memory: the compile-and-write process failed\n");
        return;
    }
    const double ratio = m->peak_mb / m->files_mb;
    std::printf("  peak memory of compile and write %9.1f MB     files %.1f MB\n", m->peak_mb,
                m->files_mb);
    std::printf("  ratio peak memory/files          %9.2f      target <= %.0f            %s\n",
                ratio, k_memory_target_ratio, verdict(ratio <= k_memory_target_ratio));
}

void print_program(const collecting_reporter& r) {
    if (const auto f = r.find("program_run")) {
        std::printf("  whole run of the program         %9.2f ms     target < %.0f ms        %s\n",
                    f->real_ms, k_program_target_ms, verdict(f->real_ms < k_program_target_ms));
        std::printf("  processor time of that run       %9.2f ms\n", f->cpu_ms);
    }
}

}  // namespace
}  // namespace scenario::bench

int main(int argc, char** argv) {
    // Medians of five repetitions unless the command line sets the repetitions itself: with a
    // single run there is no median, and showing aggregates only would hide the runs.
    std::vector<char*> args = {argv[0]};
    bool repetitions_given = false;
    for (int i = 1; i < argc; ++i) {
        repetitions_given =
            repetitions_given || std::string_view(argv[i]).starts_with("--benchmark_repetitions");
    }
    std::string repetitions = "--benchmark_repetitions=5";
    std::string aggregates = "--benchmark_display_aggregates_only=true";
    if (!repetitions_given) {
        args.push_back(repetitions.data());
        args.push_back(aggregates.data());
    }
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);

    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    scenario::bench::collecting_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    using namespace scenario::bench;
    const std::optional<memory_figure> memory = measure_peak_memory();
    std::printf("\nFigures against the targets (medians):\n");
    print_reader(reporter);
    print_growth(reporter);
    print_writing(reporter);
    print_memory(memory);
    print_program(reporter);
    return 0;
}
