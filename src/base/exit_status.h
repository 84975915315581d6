// The exit statuses of the program and of scenario-tool, one meaning each: a compile fault the
// program only records never ends it, so 1 is the tool's alone.
#pragma once

namespace scenario {

inline constexpr int k_exit_ok = 0;
inline constexpr int k_exit_fault_recorded = 1;  // scenario-tool: the compile recorded a fault
inline constexpr int k_exit_differs = 1;         // scenario-tool diff: the two sets differ
inline constexpr int k_exit_identity_fault = 2;  // 1250 or 1251: no binary file written
inline constexpr int k_exit_failure = 3;         // usage, a file or the machine failed

}  // namespace scenario
