// Standard input and output as raw bytes, for a tool that speaks a framed protocol over them:
// no line-end translation on either side, and input handed over as soon as any of it arrives.
#pragma once

#include <cstddef>
#include <string_view>

namespace scenario::platform {

// Waits until standard input holds at least one byte and reads what is there, up to `size`;
// 0 at the end of the input. Throws file_error when the input cannot be read.
std::size_t read_standard_input(char* buffer, std::size_t size);

// Writes all of `bytes` to standard output; false when it cannot.
bool write_standard_output(std::string_view bytes);

}  // namespace scenario::platform
