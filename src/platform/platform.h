// Everything the scenario package asks of the operating system: its own directory, the waiting
// window, the error box, and the few file operations it needs. This is the only module that
// touches Win32 (on Windows) or Xlib (on Linux, when a display is there).
#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace scenario::platform {

// A file operation that failed, with the file and the operating system's reason.
class file_error : public std::runtime_error {
   public:
    file_error(const std::filesystem::path& file, const std::string& action,
               const std::string& reason);
    const std::filesystem::path& file() const { return file_; }

   private:
    std::filesystem::path file_;
};

// The directory that holds the running program file, asked of the system on every call.
std::filesystem::path program_directory();

// The whole content of a file, as bytes.
std::string read_file(const std::filesystem::path& file);

// Replaces the file with exactly these bytes: they go to a temporary file in the same directory,
// which is then renamed over the old name. On failure the earlier file is left whole, the
// temporary file is removed and file_error is thrown.
void replace_file(const std::filesystem::path& file, std::string_view bytes);

// Deletes the file; a missing file is not an error.
void delete_file(const std::filesystem::path& file);

// The window "Form1" with its one label, shown and painted at once; closed when destroyed.
class waiting_window {
   public:
    waiting_window();
    ~waiting_window();
    waiting_window(const waiting_window&) = delete;
    waiting_window& operator=(const waiting_window&) = delete;

    struct impl;

   private:
    std::unique_ptr<impl> impl_;
};

// The error report: a modal box with the text, one OK button, no icon (on Linux an X11 box
// when a display is there); the text always goes to standard error as well.
void show_error_box(std::string_view text);

// One clear message for a failure that ends the program (a file that could not be written).
void report_failure(std::string_view message);

}  // namespace scenario::platform
