// Shared helpers of the test suite: a scratch directory per test and small file utilities.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "base/records.h"

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

// The program's twenty stations in the order of its train text (header entries 1 to 20).
inline constexpr const char* k_program_station_names[20] = {"Cascina Telvo",
                                                            "Trescivenago",
                                                            "Vordano",
                                                            "Urvio",
                                                            "Lostrave FS",
                                                            "Pievo",
                                                            "Lorvio",
                                                            "Cavuzzo",
                                                            "Centrale FS",
                                                            "Gorva",
                                                            "Moravaldi FS",
                                                            "Morsena",
                                                            "Lenvo",
                                                            "Cadrevo",
                                                            "S.Anselvio",
                                                            "S.Arvedino",
                                                            "P.ta Tremia FS",
                                                            "Rovelo",
                                                            "Scambi di Brunvicco",
                                                            "Brunvicco"};

// A run state for the program's scenario, with its files in `dir`.
run_state state_in(const std::filesystem::path& dir);

std::string read_bytes(const std::filesystem::path& file);
void write_bytes(const std::filesystem::path& file, const std::string& bytes);

// The names of the files a directory holds, sorted (UTF-8).
std::vector<std::string> file_names(const std::filesystem::path& dir);

// The SHA-256 digest of the bytes, as 64 lower-case hexadecimal digits.
std::string sha256_hex(std::string_view bytes);

#ifndef _WIN32
// The outcome of a child process.
struct process_result {
    int exit_status = -1;     // -1 when it did not exit normally
    int signal = 0;           // the signal that ended it, if one did
    long peak_kilobytes = 0;  // its largest resident set
    std::string standard_error;
    std::string standard_output;
};

struct process_options {
    std::filesystem::path working_directory;
    bool unprivileged = false;              // as root, drop to the user "nobody" first
    long file_size_limit = -1;              // bytes; -1 for none (writes past it fail with EFBIG)
    long memory_limit = -1;                 // bytes of address space; -1 for none
    std::filesystem::path standard_output;  // a file to write to instead of the captured output
    unsigned time_limit_seconds = 120;      // a child that hangs is killed and the test fails
};

// A child started and not yet waited for.
struct running_process {
    int pid = -1;
    int error_fd = -1;
    int output_fd = -1;
};

// Starts the program with these arguments, without a display.
running_process start_process(const std::filesystem::path& program,
                              const std::vector<std::string>& arguments,
                              const process_options& options);
// Waits for a started child and collects what it printed.
process_result wait_for(running_process& child);

// Runs the program with these arguments, without a display, and waits for it.
process_result run_process(const std::filesystem::path& program,
                           const std::vector<std::string>& arguments,
                           const process_options& options);
#endif

}  // namespace scenario::testing
