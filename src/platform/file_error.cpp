// What both platforms share: the file error (its message names the file in UTF-8 and the
// operating system's reason), the staged file's move and the whole-file replacement built on it,
// and the last words of a process that must give up.
#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"

namespace scenario::platform {
namespace {

std::string utf8_name(const std::filesystem::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

}  // namespace

file_error::file_error(const std::filesystem::path& file, const std::string& action,
                       const std::string& reason)
    : std::runtime_error("cannot " + action + " \"" + utf8_name(file) + "\": " + reason),
      file_(file) {}

staged_file::staged_file(staged_file&& other) noexcept
    : file_(std::move(other.file_)),
      temporary_(std::move(other.temporary_)),
      handle_(other.handle_),
      open_(other.open_),
      committed_(other.committed_) {
    other.open_ = false;
    other.committed_ = true;  // nothing left for the moved-from object to clean up
}

void replace_file(const std::filesystem::path& file, std::string_view bytes, file_life life) {
    staged_file staged(file);
    staged.write(bytes);
    if (life == file_life::lasting)
        staged.flush();
    else
        staged.close_unflushed();
    staged.commit();
}

void flush_directory_after_failure(const std::filesystem::path& directory) noexcept {
    try {
        flush_directory(directory);
    } catch (...) {
    }
}

void write_error_line(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void give_up(const char* words) {
    std::fputs(words, stderr);
    std::fputs("\n", stderr);
    std::fflush(stderr);
    std::_Exit(3);
}

std::string busy_reason(std::chrono::milliseconds patience) {
    return "another run is writing in this directory; gave up after " +
           std::to_string((patience.count() + 999) / 1000) + " s";
}

}  // namespace scenario::platform
