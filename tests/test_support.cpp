#include "test_support.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>

#include "run/run_sequence.h"
#include "run/scenario_files.h"

namespace scenario::testing {

scratch_directory::scratch_directory() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("scenario-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
}

scratch_directory::~scratch_directory() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

run_state state_in(const std::filesystem::path& dir) {
    run_state state;
    state.nome_linea = std::string(k_nome_linea);
    state.codice_treno = std::string(k_codice_treno);
    state.scenario_directory = [dir] { return dir; };
    return state;
}

std::string read_bytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void write_bytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> file_names(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::u8string n = entry.path().filename().u8string();
        names.emplace_back(n.begin(), n.end());
    }
    std::sort(names.begin(), names.end());
    return names;
}

#ifndef _WIN32
namespace {

// An unnamed scratch file for a child's output stream; -1 when none can be made.
int capture_file() {
    char name[] = "/tmp/scenario-capture-XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) unlink(name);
    return fd;
}

std::string captured(int fd) {
    std::string text;
    lseek(fd, 0, SEEK_SET);
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return text;
}

}  // namespace

running_process start_process(const std::filesystem::path& program,
                              const std::vector<std::string>& arguments,
                              const process_options& options) {
    running_process child;
    child.error_fd = capture_file();
    child.output_fd = capture_file();
    if (child.error_fd < 0 || child.output_fd < 0) return child;

    const pid_t pid = fork();
    if (pid == 0) {
        dup2(child.error_fd, STDERR_FILENO);
        dup2(child.output_fd, STDOUT_FILENO);
        if (!options.standard_output.empty()) {
            const int fd = open(options.standard_output.c_str(), O_WRONLY);
            if (fd < 0 || dup2(fd, STDOUT_FILENO) < 0) _exit(127);
        }
        unsetenv("DISPLAY");
        alarm(options.time_limit_seconds);  // survives exec: a hung child ends
        if (!options.working_directory.empty() && chdir(options.working_directory.c_str()) != 0)
            _exit(127);
        if (options.file_size_limit >= 0) {
            // The signal keeps its default action: the programs themselves turn it off, so that
            // a write past the limit fails with EFBIG instead of killing them.
            signal(SIGXFSZ, SIG_DFL);
            const rlimit limit{static_cast<rlim_t>(options.file_size_limit),
                               static_cast<rlim_t>(options.file_size_limit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (options.memory_limit >= 0) {
            const rlimit limit{static_cast<rlim_t>(options.memory_limit),
                               static_cast<rlim_t>(options.memory_limit)};
            setrlimit(RLIMIT_AS, &limit);
        }
        if (options.unprivileged && geteuid() == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(127);
        }
        std::vector<char*> argv;
        std::string program_name = program.string();
        argv.push_back(program_name.data());
        std::vector<std::string> copies = arguments;
        for (auto& a : copies) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(program_name.c_str(), argv.data());
        _exit(127);
    }
    child.pid = pid;
    return child;
}

process_result wait_for(running_process& child) {
    process_result result;
    if (child.pid > 0) {
        int status = 0;
        rusage usage{};
        wait4(child.pid, &status, 0, &usage);
        result.peak_kilobytes = usage.ru_maxrss;
        if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    }
    if (child.error_fd >= 0) result.standard_error = captured(child.error_fd);
    if (child.output_fd >= 0) result.standard_output = captured(child.output_fd);
    child = running_process{};
    return result;
}

process_result run_process(const std::filesystem::path& program,
                           const std::vector<std::string>& arguments,
                           const process_options& options) {
    running_process child = start_process(program, arguments, options);
    return wait_for(child);
}
#endif

}  // namespace scenario::testing
