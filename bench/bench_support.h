// Shared pieces of the benchmarks: a scratch directory, a run state ready to compile, the three
// file images of a compiled scenario and the plain one-write-per-file baseline they are held to.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "compile/records.h"
#include "synthetic_scenario.h"

namespace scenario::bench {

// A fresh empty directory under the system's temporary directory, removed when the object goes.
class scratch_directory {
   public:
    scratch_directory();
    ~scratch_directory();
    scratch_directory(const scratch_directory&) = delete;
    scratch_directory& operator=(const scratch_directory&) = delete;
    const std::filesystem::path& path() const { return path_; }

   private:
    std::filesystem::path path_;
};

// A run state for the program's own names, its files (if any are written) in `dir`.
run_state fresh_state(const std::filesystem::path& dir = {});

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

// Sum of the sizes of the regular files in a directory.
std::uintmax_t directory_bytes(const std::filesystem::path& dir);

}  // namespace scenario::bench
