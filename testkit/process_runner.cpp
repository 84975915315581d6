// Runs one program as a whole process and reports what it cost:
//
//   scenario_process_runner PROGRAM ARG...
//
// prints one line "WALL_MS CPU_MS PEAK_KIB EXIT_STATUS" (EXIT_STATUS -1 when it did not exit
// normally). The program's own standard output and error go to /dev/null.
//
// The timing could be taken by any parent, but not the peak memory: a child's largest resident
// set counts that of the process it was started from (the address space it leaves at exec), so
// the measured program has to be started from a process as small as this one, never from the
// benchmark program that holds the largest scenario in memory.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

extern char** environ;

namespace {

double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

double now_seconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: scenario_process_runner PROGRAM ARG...\n");
        return 2;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    const double start = now_seconds();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[1], &actions, nullptr, argv + 1, environ) != 0) {
        std::perror("scenario_process_runner: posix_spawn");
        return 1;
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) {
        std::perror("scenario_process_runner: wait4");
        return 1;
    }
    const double wall = now_seconds() - start;
    posix_spawn_file_actions_destroy(&actions);

    const double cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    const int exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::printf("%.3f %.3f %ld %d\n", wall * 1e3, cpu * 1e3, usage.ru_maxrss, exit_status);
    return 0;
}
