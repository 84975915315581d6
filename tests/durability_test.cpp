// What a run guarantees about the files it leaves, seen from outside the process: every file is
// flushed to the device before it replaces the earlier one and the directory after the renames;
// two writers in one directory take turns, so the binary files are always one writer's whole set;
// memory running out at any point ends the run with a report and the earlier binary set whole.
#include <gtest/gtest.h>

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
    std::vector<std::string> paths;  // the quoted arguments, as strace prints them
    long fd = -1;                    // the descriptor argument, or the one returned by openat
    bool directory = false;          // opened with O_DIRECTORY
};

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
            c.paths.push_back((*it)[1]);
        }
        const long result = std::stol(m[3]);
        if (c.name == "openat") {
            if (result < 0) continue;
            c.fd = result;
            c.directory = arguments.find("O_DIRECTORY") != std::string::npos;
        } else if (c.name == "fsync" || c.name == "close") {
            c.fd = std::stol(arguments);
        }
        calls.push_back(std::move(c));
    }
    return calls;
}

TEST(Durability, EveryFileIsFlushedBeforeItsRenameAndTheDirectoryAfterEachGroup) {
    const auto strace = strace_program();
    ASSERT_FALSE(strace.empty()) << "strace is needed for this test (apt-get install strace)";
    scratch_directory dir;
    const auto program = install_program(dir);
    const auto log = dir.path() / "trace.log";

    const auto result = run_process(
        strace,
        {"-f", "-qq", "-E", "ASAN_OPTIONS=detect_leaks=0", "-s", "4096", "-o", log.string(), "-e",
         "trace=openat,fsync,fdatasync,close,rename,renameat,renameat2", program.string()},
        {});
    ASSERT_EQ(result.exit_status, 0) << result.standard_error;
    const std::vector<traced_call> calls = parse_trace(read_bytes(log));

    std::map<long, traced_call> open_files;
    std::set<std::string> flushed;
    std::vector<std::size_t> renames;
    std::vector<std::size_t> directory_flushes;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const traced_call& c = calls[i];
        if (c.name == "openat") {
            open_files[c.fd] = c;
        } else if (c.name == "fsync" || c.name == "fdatasync") {
            const traced_call& opened = open_files[c.fd];
            if (opened.directory) {
                directory_flushes.push_back(i);
            } else if (!opened.paths.empty()) {
                flushed.insert(opened.paths.back());
            }
        } else if (c.name == "close") {
            open_files.erase(c.fd);
        } else if (c.name.starts_with("rename")) {
            ASSERT_EQ(c.paths.size(), 2u);
            EXPECT_TRUE(c.paths[0].ends_with(".tmp")) << c.paths[0];
            EXPECT_TRUE(flushed.count(c.paths[0]))
                << "renamed before it was flushed: " << c.paths[0];
            renames.push_back(i);
        }
    }
    // Five texts, then the binary set of three.
    ASSERT_EQ(renames.size(), 8u);
    auto flushed_between = [&](std::size_t from, std::size_t to) {
        for (const std::size_t f : directory_flushes) {
            if (f > from && f < to) return true;
        }
        return false;
    };
    EXPECT_TRUE(flushed_between(renames[4], renames[5])) << "no flush after the texts";
    EXPECT_TRUE(flushed_between(renames[7], calls.size())) << "no flush after the binary files";
    // The three renames of the binary set follow one another with nothing in between.
    EXPECT_EQ(renames[7] - renames[5], 2u);
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
};

// Memory runs out at a different point under each limit: in the runtime before the run begins,
// in the writers, in the compile, while encoding. Whatever the point, a run either ends normally
// with the whole scenario or reports the failure with exit 3 and leaves the earlier binary set as
// it was. A run needs little beyond the process's own libraries, so the points where it runs out
// lie close together: the limit rises in small steps up to the first run that fits, then in
// large ones.
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
         }},
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
         }},
    };
    for (const starved_run& starved : runs) {
        SCOPED_TRACE(starved.name);
        scratch_directory reference;
        const auto reference_out = starved.prepare(reference);
        ASSERT_EQ(starved.run(reference, 1024 * 1024).exit_status, 0);
        const auto complete = binary_set_in(reference_out);

        int failures = 0;
        int successes = 0;
        for (long kilobytes = 4096; kilobytes <= 40960; kilobytes += successes == 0 ? 32 : 2048) {
            SCOPED_TRACE(std::to_string(kilobytes) + " KB");
            scratch_directory dir;
            const auto out = starved.prepare(dir);
            for (const file_kind kind : k_binary_set) write_bytes(file_in(out, kind), "earlier");

            const auto result = starved.run(dir, kilobytes);
            if (result.exit_status == 127) continue;  // the loader itself did not fit
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
