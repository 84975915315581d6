// Whole processes side by side: the writers as a user starts them (`scenario-tool compile` of the
// largest route, a run of the program) against floor processes that write the same bytes with
// one write per file, durably (an fsync of each file and one of the directory) and plainly.
// The contenders run in turn, round after round, so a change in the machine's load falls on all
// of them alike; each figure is the median of its rounds.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "testkit/synthetic_scenario.h"

namespace scenario::bench {

// What one process cost, from its start to its exit.
struct process_sample {
    double wall_ms = 0;
    double cpu_ms = 0;   // user + system time
    double peak_mb = 0;  // its largest resident set
    int exit_status = -1;
};

// Runs argv (without DISPLAY, its output discarded) through the small runner program, which
// times it and takes its peak memory; nothing when it could not be run.
std::optional<process_sample> run_process(const std::vector<std::string>& argv);

// Writes out whatever the last process left in the page cache of the file system that holds
// `dir`, so that the next process, timed, does not pay for it.
void settle(const std::filesystem::path& dir);

struct process_figure {
    std::string name;
    double wall_ms = 0;   // median
    double cpu_ms = 0;    // median of user + system time
    double peak_mb = 0;   // median of the largest resident set
    bool failed = false;  // a run did not end with exit status 0
};

struct process_comparison {
    std::string directory;    // where the files were written
    std::string file_system;  // its type, as the mount table names it, and as statfs does
    int rounds = 0;
    std::size_t files = 0;
    double output_mb = 0;     // the bytes each contender writes
    bool same_bytes = false;  // every contender's files equal the reference set
    // The writer first, then the durable and plain floors, then (for the program's run) the C
    // floor of the run's own file work.
    std::vector<process_figure> figures;
};

// The name of the file system that holds `dir`, from the type number statfs gives (ext2, ext3
// and ext4 share one number).
std::string statfs_type_name(const std::filesystem::path& dir);

// Whether the named files are the same bytes in both directories.
bool same_files(const std::filesystem::path& a, const std::filesystem::path& b,
                const std::vector<std::string>& names);

// The eight files of a run of the program, written into `reference` in the order the run writes
// them (the two description texts first, and kept here); their names in that order.
std::vector<std::string> write_run_reference(const std::filesystem::path& reference);

// The C floor of a run's file work (run_floor.c) on those files, from `reference` into `to`.
std::vector<std::string> run_floor_argv(const std::filesystem::path& reference,
                                        const std::filesystem::path& to,
                                        const std::vector<std::string>& names);

// The largest synthetic scenario's two texts written into `dir` under the program's names.
scenario::synthetic_texts write_largest_texts(const std::filesystem::path& dir);

// The largest synthetic route: its two texts on disk, compiled by `scenario-tool compile`.
process_comparison compare_largest_route(int rounds);

// A run of the program in a directory of its own, writing its eight files, beside the floors and
// the C floor of the same file work.
process_comparison compare_program_run(int rounds);

// `scenario-tool dump --json --all` of each of the largest route's three files, the geometry
// first: medians of `rounds` rounds taken in turn.
std::vector<process_figure> measure_largest_dumps(int rounds);

}  // namespace scenario::bench
