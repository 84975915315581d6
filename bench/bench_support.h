// Shared pieces of the benchmarks: a scratch directory, a run state ready to compile, the three
// file images of a compiled scenario and the one-write-per-file baselines they are held to.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "base/records.h"
#include "testkit/synthetic_scenario.h"
#include "testkit/test_support.h"

namespace scenario::bench {

// Scratch directories and run states come from the test suite's support code.
using testing::scratch_directory;
using testing::state_in;

// Compiles the texts in memory as the program does (argument 1: with the plan geometry).
// Returns codice_errore; the compiled records are left in `state`.
std::int32_t compile_texts(run_state& state, const synthetic_texts& texts);

// The three serialised tables, in the order the program writes them.
struct file_images {
    std::string geometry;
    std::string header;
    std::string cells;
    std::size_t total() const { return geometry.size() + header.size() + cells.size(); }
};

file_images serialise_all(const run_state& state);

// The floor: each image written to its file with one open, one write and one close.
void plain_write(const std::filesystem::path& dir, const file_images& images);

// The durable floor: the plain floor with an fsync of each file before it is closed and one of
// the directory after the last file, what any writer of whole files across a power cut pays.
void durable_write(const std::filesystem::path& dir, const file_images& images);

// Sum of the sizes of the regular files in a directory.
std::uintmax_t directory_bytes(const std::filesystem::path& dir);

}  // namespace scenario::bench
