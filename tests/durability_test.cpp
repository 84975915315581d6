// What a run guarantees about the files it leaves, seen from outside the process: every file that
// outlasts the run is flushed to the device before it replaces the earlier one, and the directory
// once after the run's last rename;
// two writers in one directory take turns, so the binary files are always one writer's whole set;
// memory running out at any point ends the run with a report and the earlier binary set whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "base/scenario_files.h"
#include "describe/descriptions.h"
#include "run/run_sequence.h"
#include "testkit/test_support.h"

#ifndef _WIN32

namespace scenario {
namespace {

using testing::read_bytes;
using testing::run_process;
using testing::scratch_directory;
using testing::write_bytes;

const std::string k_line(k_nome_linea);
const std::string k_train(k_codice_treno);

constexpr std::array<file_kind, 3> k_binary_set = {file_kind::line_geometry,
                                                   file_kind::header_table, file_kind::cells};

std::filesystem::path file_in(const std::filesystem::path& dir, file_kind kind) {
    return dir / path_from_utf8(scenario_file_name(k_line, k_train, kind));
}

std::array<std::string, 3> binary_set_in(const std::filesystem::path& dir) {
    std::array<std::string, 3> set;
    for (std::size_t i = 0; i < k_binary_set.size(); ++i) {
        set[i] = read_bytes(file_in(dir, k_binary_set[i]));
    }
    return set;
}

std::filesystem::path install_program(const scratch_directory& dir) {
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    const auto target = dir.path() / "zelnor-scenario";
    std::filesystem::copy_file(SCENARIO_PROGRAM_PATH, target);
    return target;
}

std::filesystem::path strace_program() {
    for (const char* candidate : {"/usr/bin/strace", "/bin/strace"}) {
        if (std::filesystem::exists(candidate)) return candidate;
    }
    return {};
}

// One system call of interest from strace's log.
struct traced_call {
    std::string name;
    std::vector<std::string> paths;  // the quoted arguments, unescaped
    long fd = -1;                    // the descriptor argument, or the one returned by openat
    bool directory = false;          // opened with O_DIRECTORY
    bool exclusive_lock = false;     // flock with LOCK_EX
};

// strace writes the bytes of a path outside printable ASCII as escapes (octal, or hexadecimal
// with -x); the scenario names hold a UTF-8 "ò".
std::string unescape(const std::string& quoted) {
    std::string out;
    for (std::size_t i = 0; i < quoted.size(); ++i) {
        if (quoted[i] != '\\' || i + 1 == quoted.size()) {
            out += quoted[i];
            continue;
        }
        const char c = quoted[++i];
        if (c >= '0' && c <= '7') {
            int value = 0;
            for (int n = 0; n < 3 && i < quoted.size() && quoted[i] >= '0' && quoted[i] <= '7';
                 ++n, ++i) {
                value = value * 8 + (quoted[i] - '0');
            }
            --i;
            out += static_cast<char>(value);
        } else if (c == 'x' && i + 2 < quoted.size()) {
            out += static_cast<char>(std::stoi(quoted.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
        }
    }
    return out;
}

std::vector<traced_call> parse_trace(const std::string& log) {
    static const std::regex call(R"(^(?:\d+ +)?(\w+)\((.*)\) += (-?\d+))");
    static const std::regex quoted(R"re("((?:[^"\\]|\\.)*)")re");
    std::vector<traced_call> calls;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (!std::regex_search(line, m, call)) continue;
        traced_call c;
        c.name = m[1];
        const std::string arguments = m[2];
        for (auto it = std::sregex_iterator(arguments.begin(), arguments.end(), quoted);
             it != std::sregex_iterator(); ++it) {
            c.paths.push_back(unescape((*it)[1]));
        }
        const long result = std::stol(m[3]);
        if (c.name == "openat") {
            if (result < 0) continue;
            c.fd = result;
            c.directory = arguments.find("O_DIRECTORY") != std::string::npos;
        } else if (c.name == "fsync" || c.name == "fdatasync" || c.name == "close" ||
                   c.name == "flock") {
            if (result < 0) continue;
            c.fd = std::stol(arguments);
            c.exclusive_lock = arguments.find("LOCK_EX") != std::string::npos;
        } else if (result < 0) {
            continue;  // a rename or unlink that did nothing
        }
        calls.push_back(std::move(c));
    }
    return calls;
}

// Where a run's calls stand against its durability: every file renamed into place was flushed
// before its rename, except the two description texts, which the run deletes again at once; and
// the directory is flushed exactly once, after the last rename or deletion and before the
// directory's lock is let go. One line for each fault found.
std::vector<std::string> flush_order_faults(const std::vector<traced_call>& calls,
                                            const std::set<std::string>& passing) {
    std::vector<std::string> faults;
    std::map<long, traced_call> open_files;
    std::set<std::string> flushed;
    std::vector<std::size_t> directory_flushes;
    std::size_t last_change = 0;
    bool changed = false;
    long lock_fd = -1;
    std::size_t lock_released = calls.size();  // the process's exit, unless closed before
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const traced_call& c = calls[i];
        if (c.name == "openat") {
            open_files[c.fd] = c;
        } else if (c.name == "flock") {
            if (c.exclusive_lock && open_files[c.fd].directory) lock_fd = c.fd;
        } else if (c.name == "fsync" || c.name == "fdatasync") {
            const traced_call& opened = open_files[c.fd];
            if (opened.directory) {
                directory_flushes.push_back(i);
            } else if (!opened.paths.empty()) {
                flushed.insert(opened.paths.back());
            }
        } else if (c.name == "close") {
            if (c.fd == lock_fd && lock_released == calls.size()) lock_released = i;
            open_files.erase(c.fd);
        } else if (c.name.starts_with("rename")) {
            changed = true;
            last_change = i;
            if (c.paths.size() != 2 || !c.paths[0].ends_with(".tmp")) {
                faults.push_back("a rename not from a temporary file");
                continue;
            }
            if (!flushed.count(c.paths[0]) && !passing.count(c.paths[1]))
                faults.push_back("renamed before it was flushed: " + c.paths[1]);
        } else if (c.name.starts_with("unlink")) {
            changed = true;
            last_change = i;
        }
    }
    if (!changed) return faults;
    if (lock_fd < 0) faults.push_back("the directory was never locked");
    if (directory_flushes.size() != 1) {
        faults.push_back("the directory was flushed " + std::to_string(directory_flushes.size()) +
                         " times, not once");
    }
    if (directory_flushes.empty() || directory_flushes.back() < last_change) {
        faults.push_back("the run ended after a rename without a flush of the directory");
    } else if (directory_flushes.back() > lock_released) {
        faults.push_back("the directory was flushed after its lock was let go");
    }
    return faults;
}

// The program run under strace: its exit status and the calls of interest.
struct traced_run {
    int exit_status = -1;
    std::string standard_error;
    std::vector<traced_call> calls;
};

traced_run trace_program(const std::filesystem::path& program) {
    const auto strace = strace_program();
    const auto log = program.parent_path().parent_path() /
                     (program.parent_path().filename().string() + ".trace");
    const auto result = run_process(
        strace,
        {"-f", "-qq", "-E", "ASAN_OPTIONS=detect_leaks=0", "-s", "4096", "-o", log.string(), "-e",
         "trace=openat,fsync,fdatasync,close,flock,rename,renameat,renameat2,unlink,unlinkat",
         program.string()},
        {});
    return {result.exit_status, result.standard_error, parse_trace(read_bytes(log))};
}

// The two description texts, the only files a run renames into place unflushed.
std::set<std::string> passing_texts(const std::filesystem::path& dir) {
    return {file_in(dir, file_kind::line_description).string(),
            file_in(dir, file_kind::train_description).string()};
}

std::vector<std::size_t> renames_in(const std::vector<traced_call>& calls) {
    std::vector<std::size_t> renames;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].name.starts_with("rename")) renames.push_back(i);
    }
    return renames;
}

// A run that ends normally, and one that fails after its texts are in place: a directory stands
// at the cell file's name, so the binary set is never renamed and the run reports exit 3.
TEST(Durability, EveryLastingFileIsFlushedBeforeItsRenameAndTheDirectoryOnceAtTheEnd) {
    ASSERT_FALSE(strace_program().empty())
        << "strace is needed for this test (apt-get install strace)";
    struct way_out {
        const char* name;
        bool cells_blocked;
        int exit_status;
        std::size_t renames;
    };
    const way_out cases[] = {{"whole run", false, 0, 8}, {"failure after the texts", true, 3, 5}};
    for (const way_out& c : cases) {
        SCOPED_TRACE(c.name);
        scratch_directory dir;
        const auto program = install_program(dir);
        if (c.cells_blocked)
            std::filesystem::create_directory(file_in(dir.path(), file_kind::cells));
        const traced_run run = trace_program(program);
        ASSERT_EQ(run.exit_status, c.exit_status) << run.standard_error;
        for (const std::string& fault : flush_order_faults(run.calls, passing_texts(dir.path()))) {
            ADD_FAILURE() << fault;
        }
        const std::vector<std::size_t> renames = renames_in(run.calls);
        ASSERT_EQ(renames.size(), c.renames);
        // The three renames of the binary set follow one another with nothing in between.
        if (c.renames == 8) {
            EXPECT_EQ(renames[7] - renames[5], 2u);
        }
    }
}

// The check itself, on a whole run's trace with one fault planted in it at a time: each one is
// found. The six lasting files each lose their flush in turn; the directory's flush is taken
// away, doubled, or moved past the release of the lock.
TEST(Durability, FlushOrderCheckFindsEachPlantedFault) {
    ASSERT_FALSE(strace_program().empty())
        << "strace is needed for this test (apt-get install strace)";
    scratch_directory dir;
    const auto program = install_program(dir);
    const traced_run run = trace_program(program);
    ASSERT_EQ(run.exit_status, 0) << run.standard_error;
    const std::set<std::string> passing = passing_texts(dir.path());
    ASSERT_TRUE(flush_order_faults(run.calls, passing).empty());

    // Where each file's flush and the directory's flush and lock release stand in the trace.
    std::map<std::string, std::size_t> file_flush;
    std::size_t directory_flush = run.calls.size();
    std::size_t lock_release = run.calls.size();
    {
        std::map<long, traced_call> open_files;
        long lock_fd = -1;
        for (std::size_t i = 0; i < run.calls.size(); ++i) {
            const traced_call& c = run.calls[i];
            if (c.name == "openat") open_files[c.fd] = c;
            if (c.name == "flock" && c.exclusive_lock) lock_fd = c.fd;
            if (c.name == "close" && c.fd == lock_fd) lock_release = i;
            if (c.name != "fsync") continue;
            const traced_call& opened = open_files[c.fd];
            if (opened.directory)
                directory_flush = i;
            else if (!opened.paths.empty())
                file_flush[opened.paths.back()] = i;
        }
    }
    ASSERT_LT(directory_flush, run.calls.size());
    ASSERT_LT(lock_release, run.calls.size());

    struct planted {
        std::string name;
        std::function<void(std::vector<traced_call>&)> plant;
        std::string expected;  // a part of the fault the check reports
    };
    std::vector<planted> faults;
    for (const file_kind kind :
         {file_kind::notes, file_kind::slow_order_sheet, file_kind::timetable_sheet,
          file_kind::line_geometry, file_kind::header_table, file_kind::cells}) {
        const std::string file = file_in(dir.path(), kind).string();
        const auto at = file_flush.find(file + ".tmp");
        ASSERT_NE(at, file_flush.end()) << "not flushed: " << file;
        faults.push_back({"unflushed " + file,
                          [i = at->second](auto& calls) { calls.erase(calls.begin() + i); },
                          "renamed before it was flushed: " + file});
    }
    faults.push_back({"no directory flush",
                      [&](auto& calls) { calls.erase(calls.begin() + directory_flush); },
                      "without a flush of the directory"});
    // An open, flush and close of the directory on a descriptor of its own, planted at `at`.
    auto flush_directory_at = [&](std::vector<traced_call>& calls, std::size_t at) {
        const traced_call open = {"openat", {dir.path().string()}, 999, true, false};
        const traced_call flush = {"fsync", {}, 999, false, false};
        const traced_call close = {"close", {}, 999, false, false};
        calls.insert(calls.begin() + static_cast<std::ptrdiff_t>(at), {open, flush, close});
    };
    faults.push_back({"a directory flush after each group",
                      [&](auto& calls) { flush_directory_at(calls, renames_in(calls)[4] + 1); },
                      "flushed 2 times"});
    faults.push_back({"the directory flushed after the lock is let go",
                      [&](auto& calls) {
                          flush_directory_at(calls, lock_release + 1);
                          calls.erase(calls.begin() + directory_flush);
                      },
                      "after its lock was let go"});
    faults.push_back({"the directory flushed before the last rename",
                      [&](auto& calls) {
                          calls.erase(calls.begin() + directory_flush);
                          flush_directory_at(calls, renames_in(calls).back());
                      },
                      "without a flush of the directory"});
    for (const planted& p : faults) {
        SCOPED_TRACE(p.name);
        std::vector<traced_call> calls = run.calls;
        p.plant(calls);
        const std::vector<std::string> found = flush_order_faults(calls, passing);
        EXPECT_TRUE(std::any_of(
            found.begin(), found.end(),
            [&](const std::string& f) { return f.find(p.expected) != std::string::npos; }))
            << "not found: " << p.expected;
    }
}

// The program's own texts, and the same with a shorter route: two scenarios under the same names
// whose binary files differ in all three.
struct two_scenarios {
    scratch_directory root;
    std::filesystem::path texts[2] = {root.path() / "a", root.path() / "b"};
    std::filesystem::path out = root.path() / "out";
    std::array<std::string, 3> expected[2];

    two_scenarios() {
        std::filesystem::create_directory(out);
        for (int i = 0; i < 2; ++i) {
            std::filesystem::create_directory(texts[i]);
            run_state state = testing::state_in(texts[i]);
            dati_linea(state);
            dati_treno(state);
        }
        const auto line_b = file_in(texts[1], file_kind::line_description);
        std::string line = read_bytes(line_b);
        const std::string length = "lunghezza percorso,    22000";
        const auto at = line.find(length);
        EXPECT_NE(at, std::string::npos);
        line.replace(at, length.size(), "lunghezza percorso,    21000");
        write_bytes(line_b, line);

        for (int i = 0; i < 2; ++i) {
            scratch_directory alone;
            const auto r = run_process(SCENARIO_TOOL_PATH, arguments(i, alone.path()), {});
            EXPECT_EQ(r.exit_status, 0) << r.standard_error;
            expected[i] = binary_set_in(alone.path());
        }
        EXPECT_NE(expected[0][0], expected[1][0]);
        EXPECT_NE(expected[0][1], expected[1][1]);
        EXPECT_NE(expected[0][2], expected[1][2]);
    }

    std::vector<std::string> arguments(int i, const std::filesystem::path& to) const {
        return {"compile", texts[i].string(), "--line", k_line,
                "--train", k_train,           "--out",  to.string()};
    }
};

TEST(Durability, TwoWritersInOneDirectoryLeaveOneWholeSet) {
    two_scenarios scenarios;
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(round);
        testing::running_process a =
            testing::start_process(SCENARIO_TOOL_PATH, scenarios.arguments(0, scenarios.out), {});
        testing::running_process b =
            testing::start_process(SCENARIO_TOOL_PATH, scenarios.arguments(1, scenarios.out), {});
        const auto result_a = testing::wait_for(a);
        const auto result_b = testing::wait_for(b);
        EXPECT_EQ(result_a.exit_status, 0) << result_a.standard_error;
        EXPECT_EQ(result_b.exit_status, 0) << result_b.standard_error;
        const auto left = binary_set_in(scenarios.out);
        EXPECT_TRUE(left == scenarios.expected[0] || left == scenarios.expected[1])
            << "the binary files are not one writer's whole set";
        EXPECT_EQ(testing::file_names(scenarios.out).size(), 3u);
    }
}

TEST(Durability, TwoProgramRunsInOneDirectoryBothSucceed) {
    scratch_directory dir;
    const auto program = install_program(dir);
    const auto reference = run_process(program, {}, {});
    ASSERT_EQ(reference.exit_status, 0) << reference.standard_error;
    const auto expected = binary_set_in(dir.path());
    for (int round = 0; round < 5; ++round) {
        testing::running_process a = testing::start_process(program, {}, {});
        testing::running_process b = testing::start_process(program, {}, {});
        const auto result_a = testing::wait_for(a);
        const auto result_b = testing::wait_for(b);
        EXPECT_EQ(result_a.exit_status, 0) << result_a.standard_error;
        EXPECT_EQ(result_b.exit_status, 0) << result_b.standard_error;
        EXPECT_EQ(binary_set_in(dir.path()), expected);
        EXPECT_EQ(testing::file_names(dir.path()).size(), 7u);
    }
}

#ifndef SCENARIO_SANITIZED
// One process to starve of memory: where its binary files land, and how to start it there.
struct starved_run {
    const char* name;
    std::string report;  // the prefix of its failure message
    std::function<std::filesystem::path(const scratch_directory&)> prepare;  // gives the output
    std::function<testing::process_result(const scratch_directory&, long)> run;
    long lowest_kilobytes;  // where the limits start: below what its start needs
    // Linked statically: a start that does not fit (the C library's own, before main) ends on a
    // signal before the process's first word ("Attendere"), where a dynamic one exits with 127.
    bool static_start;
};

// Memory runs out at a different point under each limit: in the runtime before the run begins,
// in the writers, in the compile, while encoding. Whatever the point, a run either ends normally
// with the whole scenario or reports the failure with exit 3 and leaves the earlier binary set as
// it was. A run needs little beyond the process's own code and libraries, so the points where it
// runs out lie close together: the limit rises in small steps up to the first run that fits, then
// in large ones.
TEST(Durability, MemoryRunningOutNeverPassesForSuccess) {
    auto limited = [](long kilobytes) {
        testing::process_options options;
        options.memory_limit = kilobytes << 10;
        return options;
    };
    const starved_run runs[] = {
        {"program", "zelnor-scenario: ",
         [](const scratch_directory& dir) {
             install_program(dir);
             return dir.path();
         },
         [&](const scratch_directory& dir, long kilobytes) {
             return run_process(dir.path() / "zelnor-scenario", {}, limited(kilobytes));
         },
         1024, true},
        {"scenario-tool compile", "scenario-tool: errore: ",
         [](const scratch_directory& dir) {
             run_state state = testing::state_in(dir.path());
             dati_linea(state);
             dati_treno(state);
             std::filesystem::create_directory(dir.path() / "out");
             return dir.path() / "out";
         },
         [&](const scratch_directory& dir, long kilobytes) {
             return run_process(SCENARIO_TOOL_PATH,
                                {"compile", dir.path().string(), "--line", k_line, "--train",
                                 k_train, "--out", (dir.path() / "out").string()},
                                limited(kilobytes));
         },
         4096, false},
    };
    for (const starved_run& starved : runs) {
        SCOPED_TRACE(starved.name);
        scratch_directory reference;
        const auto reference_out = starved.prepare(reference);
        ASSERT_EQ(starved.run(reference, 1024 * 1024).exit_status, 0);
        const auto complete = binary_set_in(reference_out);

        int failures = 0;
        int successes = 0;
        for (long kilobytes = starved.lowest_kilobytes; kilobytes <= 40960;
             kilobytes += successes == 0 ? 32 : 2048) {
            SCOPED_TRACE(std::to_string(kilobytes) + " KB");
            scratch_directory dir;
            const auto out = starved.prepare(dir);
            for (const file_kind kind : k_binary_set) write_bytes(file_in(out, kind), "earlier");

            const auto result = starved.run(dir, kilobytes);
            // The process never reached its own code: the loader or the C library's start did
            // not fit.
            if (result.exit_status == 127) continue;
            if (starved.static_start && result.signal != 0 && result.standard_error.empty()) {
                continue;
            }
            const auto left = binary_set_in(out);
            if (result.exit_status == 0) {
                ++successes;
                EXPECT_EQ(left, complete);
            } else {
                ++failures;
                EXPECT_EQ(result.exit_status, 3)
                    << result.standard_error << " signal " << result.signal;
                EXPECT_NE(result.standard_error.find(starved.report), std::string::npos)
                    << result.standard_error;
                EXPECT_EQ(left, (std::array<std::string, 3>{"earlier", "earlier", "earlier"}));
            }
            for (const std::string& name : testing::file_names(out)) {
                EXPECT_FALSE(name.ends_with(".tmp")) << name;
            }
        }
        // The range reaches from too little memory to enough.
        EXPECT_GT(failures, 0);
        EXPECT_GT(successes, 0);
    }
}
#endif

}  // namespace
}  // namespace scenario

#endif
