// Everything the scenario package asks of the operating system: its own directory, the waiting
// window, the error box, and the few file operations it needs. This is the only module that
// touches Win32 (on Windows) or Xlib (on Linux, when a display is there).
#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
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

// The name a file is written under before it replaces `file`: the same name with ".tmp" added.
std::filesystem::path temporary_name(const std::filesystem::path& file);

// How long a replaced file is meant to stay. A lasting file is flushed to the device before it
// replaces the earlier one, so a power cut leaves either file whole. A passing file is one the
// same run reads back and deletes moments later (the program's two description texts): it is
// only closed before its rename, since a flush would cost more than the rest of its writing and
// protect nothing that outlives the run. After a power cut such a file may be found empty or
// short; the next run replaces it.
enum class file_life { lasting, passing };

// A file being replaced: its bytes go to a temporary file beside it, created exclusively (never
// through a link, never over something already there: a leftover regular file or link of a killed
// run is removed first, a directory is a failure), flushed to the device by `flush` (or only
// closed by `close_unflushed`, for a passing file), and renamed over the final name by `commit`. A
// staged file that is never committed removes its temporary file. Failures throw file_error naming
// the temporary file, or the final file for the rename. Callers hold the directory's lock
// (directory_lock), so no other writer shares the name.
class staged_file {
   public:
    explicit staged_file(std::filesystem::path file);
    ~staged_file();
    staged_file(staged_file&& other) noexcept;
    staged_file(const staged_file&) = delete;
    staged_file& operator=(const staged_file&) = delete;
    staged_file& operator=(staged_file&&) = delete;

    void write(std::string_view bytes);
    // Flushes the bytes to the device and closes the temporary file.
    void flush();
    // Closes the temporary file without flushing it: for a passing file only.
    void close_unflushed();
    // Renames the flushed temporary file over the final name.
    void commit();

    const std::filesystem::path& file() const { return file_; }

   private:
    std::filesystem::path file_;
    std::filesystem::path temporary_;
    std::intptr_t handle_ = -1;  // a file descriptor, or a HANDLE on Windows
    bool open_ = false;
    bool committed_ = false;
};

// Replaces the file with exactly these bytes through a staged file: after a failure the earlier
// file is whole and no temporary file is left. A lasting file is flushed before its rename, a
// passing one is not. The directory is not flushed (flush_directory).
void replace_file(const std::filesystem::path& file, std::string_view bytes, file_life life);

// Makes the renames and deletions done in the directory durable (fsync of the directory on
// Linux; on Windows each rename is already written through).
void flush_directory(const std::filesystem::path& directory);

// The same on a way out that already reports a failure: the renames done before it still become
// durable, and a flush that fails as well is left unsaid, since the first failure is the report.
void flush_directory_after_failure(const std::filesystem::path& directory) noexcept;

// Writes into a path the user named for output. When it leads (through links) to something that
// is not a regular file (a device, a FIFO, a descriptor such as /dev/stdout) the bytes are written
// into it directly; otherwise the path itself is replaced like every scenario file (a link is
// replaced, never the file it points to).
void write_output_file(const std::filesystem::path& file, std::string_view bytes);

// Deletes the file; a missing file is not an error.
void delete_file(const std::filesystem::path& file);

// One writer at a time in a directory: an advisory lock on the directory itself on Linux, a named
// mutex derived from the directory's full path on Windows, so nothing is added to the directory.
// Waits up to `patience` for another holder, then throws file_error.
class directory_lock {
   public:
    directory_lock(const std::filesystem::path& directory, std::chrono::milliseconds patience);
    ~directory_lock();
    directory_lock(const directory_lock&) = delete;
    directory_lock& operator=(const directory_lock&) = delete;

   private:
    std::intptr_t handle_ = -1;
};

// The reason a lock was not had: another run kept the directory for all of `patience`.
std::string busy_reason(std::chrono::milliseconds patience);

// How long a run waits for another one writing in the same directory.
inline constexpr std::chrono::milliseconds k_lock_patience{60000};

// Settings every process of the package makes at start: a file-size limit turns into a failed
// write that is reported, instead of a signal that ends the process without a word; and when the
// C++ runtime must give up (memory so short that not even the exception reporting it can be
// made), `on_terminate` runs instead of an abort: it calls give_up with the process's words.
void prepare_process(std::terminate_handler on_terminate);

// Writes the words and a line end to standard error, allocating nothing, and ends the process
// with exit status 3.
[[noreturn]] void give_up(const char* words);

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

// Writes the text and a line end to standard error through the C library's stream, so the
// program starts without constructing the C++ standard streams it would use for nothing else.
void write_error_line(std::string_view text);

}  // namespace scenario::platform
