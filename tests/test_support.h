// Shared helpers of the test suite: a scratch directory per test and small file utilities.
#pragma once

#include <filesystem>
#include <string>

#include "compile/records.h"

namespace scenario::testing {

// A fresh empty directory, removed when the object goes.
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

// A run state for the program's scenario, with its files in `dir`.
run_state state_in(const std::filesystem::path& dir);

std::string read_bytes(const std::filesystem::path& file);
void write_bytes(const std::filesystem::path& file, const std::string& bytes);

// The names of the files a directory holds, sorted (UTF-8).
std::vector<std::string> file_names(const std::filesystem::path& dir);

}  // namespace scenario::testing
