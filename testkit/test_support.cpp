#include "testkit/test_support.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>

#include "run/run_sequence.h"
#include "base/scenario_files.h"

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

namespace {

constexpr std::array<std::uint32_t, 64> k_sha256_rounds = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

// One 64-byte block folded into the running hash.
void sha256_block(std::array<std::uint32_t, 8>& hash, const unsigned char* block) {
    std::array<std::uint32_t, 64> w{};
    for (std::size_t i = 0; i < 16; ++i) {
        w[i] = std::uint32_t{block[4 * i]} << 24 | std::uint32_t{block[4 * i + 1]} << 16 |
               std::uint32_t{block[4 * i + 2]} << 8 | std::uint32_t{block[4 * i + 3]};
    }
    for (std::size_t i = 16; i < 64; ++i) {
        const std::uint32_t s0 =
            std::rotr(w[i - 15], 7) ^ std::rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 =
            std::rotr(w[i - 2], 17) ^ std::rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    auto [a, b, c, d, e, f, g, h] = hash;
    for (std::size_t i = 0; i < 64; ++i) {
        const std::uint32_t s1 = std::rotr(e, 6) ^ std::rotr(e, 11) ^ std::rotr(e, 25);
        const std::uint32_t choice = (e & f) ^ (~e & g);
        const std::uint32_t t1 = h + s1 + choice + k_sha256_rounds[i] + w[i];
        const std::uint32_t s0 = std::rotr(a, 2) ^ std::rotr(a, 13) ^ std::rotr(a, 22);
        const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + s0 + majority;
    }
    const std::array<std::uint32_t, 8> added = {a, b, c, d, e, f, g, h};
    for (std::size_t i = 0; i < 8; ++i) hash[i] += added[i];
}

}  // namespace

std::string sha256_hex(std::string_view bytes) {
    std::array<std::uint32_t, 8> hash = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                         0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t whole_blocks = bytes.size() / 64;
    for (std::size_t i = 0; i < whole_blocks; ++i) sha256_block(hash, data + 64 * i);

    // The tail, the bit 1, zeros and the message length in bits: one or two final blocks.
    std::array<unsigned char, 128> last{};
    const std::size_t tail = bytes.size() % 64;
    std::copy_n(data + 64 * whole_blocks, tail, last.begin());
    last[tail] = 0x80;
    const std::size_t final_size = tail < 56 ? 64 : 128;
    const std::uint64_t bits = static_cast<std::uint64_t>(bytes.size()) * 8;
    for (std::size_t i = 0; i < 8; ++i) {
        last[final_size - 1 - i] = static_cast<unsigned char>(bits >> (8 * i));
    }
    for (std::size_t at = 0; at < final_size; at += 64) sha256_block(hash, last.data() + at);

    static constexpr char k_digits[] = "0123456789abcdef";
    std::string hex;
    for (const std::uint32_t word : hash) {
        for (int shift = 28; shift >= 0; shift -= 4) hex += k_digits[(word >> shift) & 0xf];
    }
    return hex;
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
