#include <windows.h>

#include "platform/platform.h"
#include "platform/standard_streams.h"
#include "platform/system_reason.h"

namespace scenario::platform {

std::size_t read_standard_input(char* buffer, std::size_t size) {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    const DWORD wanted = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD got = 0;
    if (ReadFile(input, buffer, wanted, &got, nullptr)) return got;
    const DWORD error = GetLastError();
    // The writer closed its end of the pipe: the input has ended.
    if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;
    throw file_error("standard input", "read", system_reason(error));
}

bool write_standard_output(std::string_view bytes) {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    while (!bytes.empty()) {
        const DWORD chunk =
            bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(output, bytes.data(), chunk, &written, nullptr)) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace scenario::platform
