#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/platform.h"
#include "platform/standard_streams.h"

namespace scenario::platform {

std::size_t read_standard_input(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) throw file_error("standard input", "read", std::strerror(errno));
    }
}

bool write_standard_output(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace scenario::platform
