// The system's own words for a Windows error code (from GetLastError or WSAGetLastError), in
// UTF-8, for the messages of file_error and network_error. Used inside src/platform only.
#pragma once

#include <string>

namespace scenario::platform {

std::string system_reason(unsigned long code);

}  // namespace scenario::platform
