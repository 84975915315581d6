// Whole processes side by side: the writers as a user starts them (`scenario-tool compile` of the
// largest route, a run of the program) against floor processes that write the same bytes with
// one write per file, durably (an fsync of each file and one of the directory) and plainly.
// The contenders run in turn, round after round, so a change in the machine's load falls on all
// of them alike; each figure is the median of its rounds.
#pragma once

#include <optional>
#include <string>
#include <vector>

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

struct process_figure {
    std::string name;
    double wall_ms = 0;   // median
    double cpu_ms = 0;    // median of user + system time
    double peak_mb = 0;   // median of the largest resident set
    bool failed = false;  // a run did not end with exit status 0
};

struct process_comparison {
    std::string directory;    // where the files were written
    std::string file_system;  // its type, as df -T names it
    int rounds = 0;
    std::size_t files = 0;
    double output_mb = 0;                 // the bytes each contender writes
    bool same_bytes = false;              // every contender's files equal the reference set
    std::vector<process_figure> figures;  // the writer first, then the durable and plain floors
};

// The largest synthetic route: its two texts on disk, compiled by `scenario-tool compile`.
process_comparison compare_largest_route(int rounds);

// A run of the program in a directory of its own, writing its eight files.
process_comparison compare_program_run(int rounds);

// `scenario-tool dump --json --all` of each of the largest route's three files, the geometry
// first: medians of `rounds` rounds taken in turn.
std::vector<process_figure> measure_largest_dumps(int rounds);

}  // namespace scenario::bench
