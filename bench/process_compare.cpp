// The whole-process comparisons. Every process is started through the small runner program,
// which times it from start to exit and reports its peak memory (see process_runner.cpp).
#include "process_compare.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <spawn.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>

#include "base/scenario_files.h"
#include "bench_support.h"
#include "compile/compiler.h"
#include "compile/description_source.h"
#include "describe/descriptions.h"
#include "documents/crew_documents.h"
#include "output/binary_files.h"
#include "run/run_sequence.h"

extern char** environ;

namespace scenario::bench {
namespace {

namespace fs = std::filesystem;

struct contender {
    std::string name;
    std::vector<std::string> argv;
};

// The environment of this process without DISPLAY, so the program opens no window.
std::vector<std::string> environment_without_display() {
    std::vector<std::string> out;
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "DISPLAY=", 8) != 0) out.emplace_back(*e);
    }
    return out;
}

}  // namespace

std::optional<process_sample> run_process(const std::vector<std::string>& argv) {
    std::vector<std::string> words = {SCENARIO_RUNNER_PATH};
    words.insert(words.end(), argv.begin(), argv.end());
    std::vector<char*> args;
    for (std::string& w : words) args.push_back(w.data());
    args.push_back(nullptr);
    std::vector<std::string> env_strings = environment_without_display();
    std::vector<char*> env;
    for (std::string& s : env_strings) env.push_back(s.data());
    env.push_back(nullptr);

    int pipe_fds[2];
    if (::pipe2(pipe_fds, O_CLOEXEC) != 0) return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe_fds[1]);
    std::string report;
    char buffer[256];
    for (ssize_t n; spawned == 0 && (n = ::read(pipe_fds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        report.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipe_fds[0]);
    if (spawned != 0) return std::nullopt;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    process_sample s;
    double peak_kib = 0;
    std::istringstream in(report);
    if (!(in >> s.wall_ms >> s.cpu_ms >> peak_kib >> s.exit_status)) return std::nullopt;
    s.peak_mb = peak_kib * 1024 / 1e6;
    return s;
}

// Writes out whatever the last process left in the page cache, outside any timing. Without it
// the next process would pay for the plain floor's 20 MB: its first fsync commits the file
// system's journal, and with it the data of every file replaced by truncation since.
void settle(const fs::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::syncfs(fd);
    ::close(fd);
}

bool same_files(const fs::path& a, const fs::path& b, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        const fs::path file = path_from_utf8(name);
        std::error_code ec;
        if (!fs::is_regular_file(a / file, ec) || !fs::is_regular_file(b / file, ec)) return false;
        if (testing::read_bytes(a / file) != testing::read_bytes(b / file)) return false;
    }
    return true;
}

std::string statfs_type_name(const fs::path& dir) {
    struct statfs st {};
    if (::statfs(dir.c_str(), &st) != 0) return "unknown";
    switch (static_cast<unsigned long>(st.f_type)) {
        case EXT4_SUPER_MAGIC:
            return "ext2/ext3/ext4";
        case TMPFS_MAGIC:
            return "tmpfs";
        case OVERLAYFS_SUPER_MAGIC:
            return "overlay";
        case XFS_SUPER_MAGIC:
            return "xfs";
        case BTRFS_SUPER_MAGIC:
            return "btrfs";
        case NFS_SUPER_MAGIC:
            return "nfs";
        case F2FS_SUPER_MAGIC:
            return "f2fs";
        case FUSE_SUPER_MAGIC:
            return "fuse";
        case V9FS_MAGIC:
            return "9p";
        case RAMFS_MAGIC:
            return "ramfs";
        case 0x2fc12fc1:
            return "zfs";
        default: {
            char hex[32];
            std::snprintf(hex, sizeof hex, "0x%lx", static_cast<unsigned long>(st.f_type));
            return hex;
        }
    }
}

namespace {

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t mid = v.size() / 2;
    return v.size() % 2 == 1 ? v[mid] : (v[mid - 1] + v[mid]) / 2;
}

// One round that is not counted (it fills the caches and creates every file once), then
// `rounds` rounds of every contender in turn, each starting with nothing left to write. Each
// round starts one contender further on, so that none always follows the same one: a process
// runs faster just after one that has freed much memory (it is given pages the machine has just
// had in use, and on a virtual machine a fresh page costs many times more to touch).
std::vector<process_figure> alternate(const std::vector<contender>& contenders, int rounds,
                                      const fs::path& dir) {
    std::vector<std::vector<process_sample>> samples(contenders.size());
    std::vector<bool> failed(contenders.size(), false);
    for (int round = -1; round < rounds; ++round) {
        for (std::size_t turn = 0; turn < contenders.size(); ++turn) {
            const std::size_t i = (turn + static_cast<std::size_t>(round + 1)) % contenders.size();
            settle(dir);
            const std::optional<process_sample> s = run_process(contenders[i].argv);
            if (!s || s->exit_status != 0) failed[i] = true;
            if (s && round >= 0) samples[i].push_back(*s);
        }
    }
    std::vector<process_figure> out;
    for (std::size_t i = 0; i < contenders.size(); ++i) {
        std::vector<double> wall, cpu, peak;
        for (const process_sample& s : samples[i]) {
            wall.push_back(s.wall_ms);
            cpu.push_back(s.cpu_ms);
            peak.push_back(s.peak_mb);
        }
        out.push_back({contenders[i].name, median(wall), median(cpu), median(peak), failed[i]});
    }
    return out;
}

// The file system type of the mount that holds `dir`, from the mount table.
std::string file_system_of(const fs::path& dir) {
    std::ifstream mounts("/proc/self/mountinfo");
    const std::string target = fs::canonical(dir).string();
    std::string best_point, best_type = "unknown";
    for (std::string line; std::getline(mounts, line);) {
        // id parent major:minor root mount-point options [optional fields] - type source ...
        std::istringstream in(line);
        std::string id, parent, device, root, point;
        in >> id >> parent >> device >> root >> point;
        std::string word;
        while (in >> word && word != "-") {
        }
        std::string type;
        in >> type;
        const bool inside = target == point || point == "/" ||
                            (target.starts_with(point) && target[point.size()] == '/');
        if (inside && point.size() >= best_point.size()) {
            best_point = point;
            best_type = type;
        }
    }
    return best_type;
}

std::string file_name(file_kind kind) {
    return scenario_file_name(std::string(k_nome_linea), std::string(k_codice_treno), kind);
}

std::vector<std::string> file_names(std::initializer_list<file_kind> kinds) {
    std::vector<std::string> names;
    for (const file_kind kind : kinds) names.push_back(file_name(kind));
    return names;
}

std::vector<contender> with_floors(contender writer, const fs::path& reference,
                                   const fs::path& root, const std::vector<std::string>& names) {
    std::vector<contender> out = {std::move(writer)};
    for (const char* mode : {"durable", "plain"}) {
        const fs::path to = root / (std::string("floor-") + mode);
        fs::create_directory(to);
        std::vector<std::string> argv = {SCENARIO_FLOOR_PATH, mode, reference.string(),
                                         to.string()};
        argv.insert(argv.end(), names.begin(), names.end());
        out.push_back({std::string("floor: ") + mode + " writes, same bytes", std::move(argv)});
    }
    return out;
}

// Runs the rounds and checks the files: the floors write `names`, the writer leaves `left` of
// them in `written` (the program deletes its two description texts once compiled).
process_comparison finish(const scratch_directory& root, int rounds, const fs::path& reference,
                          const std::vector<std::string>& names,
                          const std::vector<contender>& contenders, const fs::path& written,
                          const std::vector<std::string>& left) {
    process_comparison c;
    c.directory = root.path().string();
    c.file_system = file_system_of(root.path()) + ", statfs " + statfs_type_name(root.path());
    c.rounds = rounds;
    c.files = names.size();
    for (const std::string& name : names)
        c.output_mb += static_cast<double>(fs::file_size(reference / path_from_utf8(name))) / 1e6;
    c.figures = alternate(contenders, rounds, root.path());
    c.same_bytes = same_files(reference, written, left) &&
                   same_files(reference, root.path() / "floor-durable", names) &&
                   same_files(reference, root.path() / "floor-plain", names);
    return c;
}

}  // namespace

process_comparison compare_largest_route(int rounds) {
    const scratch_directory root;
    const fs::path texts_dir = root.path() / "texts";
    const fs::path out = root.path() / "out";
    const fs::path reference = root.path() / "reference";
    for (const fs::path& d : {texts_dir, out, reference}) fs::create_directory(d);

    const synthetic_texts texts = write_largest_texts(texts_dir);
    {
        run_state state = state_in(reference);
        if (compile_texts(state, texts) != 0) return {};
        scrivi_file_binari(state, directory_flush::here);
    }
    const std::vector<std::string> names =
        file_names({file_kind::line_geometry, file_kind::header_table, file_kind::cells});
    const contender tool = {
        "scenario-tool compile, 1000 km",
        {SCENARIO_TOOL_PATH, "compile", texts_dir.string(), "--line", std::string(k_nome_linea),
         "--train", std::string(k_codice_treno), "--out", out.string()}};
    return finish(root, rounds, reference, names, with_floors(tool, reference, root.path(), names),
                  out, names);
}

std::vector<std::string> write_run_reference(const fs::path& reference) {
    run_state state = state_in(reference);
    dati_linea(state);
    dati_treno(state);
    dati_note(state);
    dati_rallentamenti(state);
    dati_scheda(state);
    memory_descriptions source(
        testing::read_bytes(scenario_file(state, file_kind::line_description)),
        testing::read_bytes(scenario_file(state, file_kind::train_description)));
    if (!compila_scenario(state, 1, source).writes_files()) return {};
    scrivi_file_binari(state, directory_flush::here);
    return file_names({file_kind::line_description, file_kind::train_description, file_kind::notes,
                       file_kind::slow_order_sheet, file_kind::timetable_sheet,
                       file_kind::line_geometry, file_kind::header_table, file_kind::cells});
}

std::vector<std::string> run_floor_argv(const fs::path& reference, const fs::path& to,
                                        const std::vector<std::string>& names) {
    // The two description texts are passing, the six files after them lasting.
    std::vector<std::string> argv = {SCENARIO_RUN_FLOOR_PATH, reference.string(), to.string()};
    argv.insert(argv.end(), names.begin(), names.begin() + 2);
    argv.push_back("--");
    argv.insert(argv.end(), names.begin() + 2, names.end());
    return argv;
}

std::vector<process_figure> measure_largest_dumps(int rounds) {
    const scratch_directory root;
    {
        run_state state = state_in(root.path());
        if (compile_texts(state, make_synthetic_scenario(synthetic_size{})) != 0) return {};
        scrivi_file_binari(state, directory_flush::here);
    }
    std::vector<contender> dumps;
    const std::pair<file_kind, const char*> files[] = {{file_kind::line_geometry, "geometry"},
                                                       {file_kind::cells, "cells"},
                                                       {file_kind::header_table, "header"}};
    for (const auto& [kind, what] : files) {
        const std::string name = file_name(kind);
        dumps.push_back({std::string("dump --json --all, ") + what,
                         {SCENARIO_TOOL_PATH, "dump", (root.path() / path_from_utf8(name)).string(),
                          "--json", "--all"}});
    }
    return alternate(dumps, rounds, root.path());
}

process_comparison compare_program_run(int rounds) {
    const scratch_directory root;
    const fs::path program_dir = root.path() / "program";
    const fs::path reference = root.path() / "reference";
    const fs::path floor_dir = root.path() / "floor-run";
    for (const fs::path& d : {program_dir, reference, floor_dir}) fs::create_directory(d);
    const fs::path program = program_dir / "zelnor-scenario";
    fs::copy_file(SCENARIO_PROGRAM_PATH, program);

    // The eight files of a run, the two description texts kept.
    const std::vector<std::string> names = write_run_reference(reference);
    if (names.empty()) return {};
    const std::vector<std::string> lasting(names.begin() + 2, names.end());
    const contender run = {"run of the program", {program.string()}};
    std::vector<contender> contenders = with_floors(run, reference, root.path(), names);
    contenders.push_back(
        {"floor: the run's file work, in C", run_floor_argv(reference, floor_dir, names)});
    process_comparison c = finish(root, rounds, reference, names, contenders, program_dir, lasting);
    c.same_bytes = c.same_bytes && same_files(reference, floor_dir, lasting);
    return c;
}

synthetic_texts write_largest_texts(const fs::path& dir) {
    synthetic_texts texts = make_synthetic_scenario(synthetic_size{});
    testing::write_bytes(dir / path_from_utf8(file_name(file_kind::line_description)), texts.line);
    testing::write_bytes(dir / path_from_utf8(file_name(file_kind::train_description)),
                         texts.train);
    return texts;
}

}  // namespace scenario::bench
