// A whole run of the program on its own scenario, as a user starts it: a fresh process in its
// scenario directory, without a display, timed from the start to the exit.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "process_compare.h"

extern char** environ;

namespace scenario::bench {
namespace {

// The environment of this process without DISPLAY, so the program opens no window.
std::vector<std::string> environment_without_display() {
    std::vector<std::string> out;
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "DISPLAY=", 8) != 0) out.emplace_back(*e);
    }
    return out;
}

double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

void program_run(benchmark::State& state) {
    const scratch_directory dir;
    const std::filesystem::path program = dir.path() / "zelnor-scenario";
    std::filesystem::copy_file(SCENARIO_PROGRAM_PATH, program);

    std::vector<std::string> env_strings = environment_without_display();
    std::vector<char*> env;
    for (std::string& s : env_strings) env.push_back(s.data());
    env.push_back(nullptr);
    std::string name = program.string();
    char* argv[] = {name.data(), nullptr};

    // The program says "Attendere" on standard error when there is no window.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    // The processor time of the runs as well: on a busy machine the wall time mostly measures
    // the wait for a processor.
    double cpu_seconds = 0;
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        rusage usage{};
        if (posix_spawn(&pid, name.c_str(), &actions, nullptr, argv, env.data()) != 0 ||
            wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            state.SkipWithError("the program did not run to a clean exit");
            break;
        }
        cpu_seconds += seconds(usage.ru_utime) + seconds(usage.ru_stime);
    }
    posix_spawn_file_actions_destroy(&actions);
    state.counters["cpu_ms"] =
        benchmark::Counter(cpu_seconds * 1e3, benchmark::Counter::kAvgIterations);
}

BENCHMARK(program_run)->Unit(benchmark::kMillisecond)->UseRealTime();

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t mid = v.size() / 2;
    return v.size() % 2 == 1 ? v[mid] : (v[mid - 1] + v[mid]) / 2;
}

// One whole process, started and waited for; its wall time in milliseconds, or a negative
// figure when it did not end with exit status 0.
double timed_run(std::vector<std::string> words, char** env,
                 const posix_spawn_file_actions_t* actions) {
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = 0;
    if (posix_spawn(&pid, argv[0], actions, nullptr, argv.data(), env) != 0 ||
        waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return -1;
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// A run of the program against the C floor of its own file work (run_floor.c: the same eight
// files with one write each, the six lasting ones flushed, the two description texts deleted,
// one flush of the directory), the two processes in turn within one benchmark, each starting
// with nothing left to write. The time reported is the program's; the counters give the medians
// of both and their ratio.
void program_run_against_floor(benchmark::State& state) {
    const scratch_directory root;
    const std::filesystem::path program_dir = root.path() / "program";
    const std::filesystem::path floor_dir = root.path() / "floor";
    const std::filesystem::path reference = root.path() / "reference";
    for (const auto& d : {program_dir, floor_dir, reference}) std::filesystem::create_directory(d);
    const std::filesystem::path program = program_dir / "zelnor-scenario";
    std::filesystem::copy_file(SCENARIO_PROGRAM_PATH, program);
    const std::vector<std::string> names = write_run_reference(reference);
    if (names.empty()) {
        state.SkipWithError("the reference run did not compile");
        return;
    }
    const std::vector<std::string> floor = run_floor_argv(reference, floor_dir, names);

    std::vector<std::string> env_strings = environment_without_display();
    std::vector<char*> env;
    for (std::string& s : env_strings) env.push_back(s.data());
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    std::vector<double> run_ms, floor_ms;
    bool program_first = true;
    for (auto _ : state) {
        double times[2] = {0, 0};  // the program's, the floor's
        for (int turn = 0; turn < 2; ++turn) {
            const bool program_turn = (turn == 0) == program_first;
            settle(root.path());
            times[program_turn ? 0 : 1] =
                timed_run(program_turn ? std::vector<std::string>{program.string()} : floor,
                          env.data(), &actions);
        }
        program_first = !program_first;
        if (times[0] < 0 || times[1] < 0) {
            state.SkipWithError(times[0] < 0 ? "the program did not run to a clean exit"
                                             : "the C floor did not run to a clean exit");
            break;
        }
        run_ms.push_back(times[0]);
        floor_ms.push_back(times[1]);
        state.SetIterationTime(times[0] / 1e3);
    }
    posix_spawn_file_actions_destroy(&actions);
    if (run_ms.empty()) return;
    const std::vector<std::string> lasting(names.begin() + 2, names.end());
    if (!same_files(reference, program_dir, lasting) ||
        !same_files(reference, floor_dir, lasting)) {
        state.SkipWithError("the files left differ from the reference set");
        return;
    }
    const double run = median(run_ms);
    const double floor_median = median(floor_ms);
    state.counters["run_ms"] = run;
    state.counters["floor_ms"] = floor_median;
    state.counters["ratio"] = run / floor_median;
}

BENCHMARK(program_run_against_floor)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(41);

}  // namespace
}  // namespace scenario::bench
