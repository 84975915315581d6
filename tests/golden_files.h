// Golden files: the bytes a scenario file must keep, stored under tests/golden. A small file is
// kept whole; a large one as a digest file, NAME.sha256, holding its size, the SHA-256 of the
// whole and of every 4096-byte block, so that a mismatch can still be placed.
//
// The tests only compare. To take a deliberate change of the output, run them once with
// SCENARIO_UPDATE_GOLDEN=1 in the environment: every golden file they reach is then rewritten
// from the bytes produced (and the change shows up in git for review).
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <string>

namespace scenario::testing {

enum class golden_form { whole, digest };

inline constexpr std::size_t k_golden_block_size = 4096;

class golden_store {
   public:
    explicit golden_store(std::filesystem::path directory, bool update = update_requested());

    // Whether the bytes are those of the golden file `name` (a relative path with "/"); the
    // failure names the golden file and where the first difference lies. In update mode the
    // golden file is rewritten instead, and the check passes.
    ::testing::AssertionResult check(const std::string& name, const std::string& bytes,
                                     golden_form form) const;

    // SCENARIO_UPDATE_GOLDEN=1 in the environment.
    static bool update_requested();

   private:
    std::filesystem::path file_of(const std::string& name, golden_form form) const;

    std::filesystem::path directory_;
    bool update_;
};

// The golden files of the source tree, tests/golden.
const golden_store& source_goldens();

}  // namespace scenario::testing
