// A whole run of the program on its own scenario, as a user starts it: a fresh process in its
// scenario directory, without a display, timed from the start to the exit.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"

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

}  // namespace
}  // namespace scenario::bench
