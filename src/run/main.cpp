// The program's entry: create the window object and run. Only this file ends the process. A
// Windows build is a GUI program whose runtime calls this same main.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

#include "platform/platform.h"
#include "run/run_sequence.h"

namespace {

std::terminate_handler runtime_terminate = nullptr;

// Memory can run out before the runtime is able to throw at all: its reserve for exceptions is
// made before main and is missing under a tight enough limit, and a failed allocation then ends
// the process through std::terminate with no exception under way. That is memory running out
// like any other, and it ends the run the same way, with a message that needs no memory. Any
// other end through std::terminate keeps the runtime's own report.
[[noreturn]] void terminate_run() {
    if (std::current_exception() == nullptr) {
        static constexpr char message[] = "zelnor-scenario: out of memory\n";
        std::fwrite(message, 1, sizeof message - 1, stderr);
        std::_Exit(scenario::k_exit_file_failure);
    }
    runtime_terminate();
    std::abort();
}

}  // namespace

int main() {
    runtime_terminate = std::set_terminate(terminate_run);
    scenario::platform::prepare_process();
    try {
        scenario::Form1 form;
        return form.Form_Load();
    } catch (const scenario::platform::file_error& e) {
        scenario::platform::report_failure(e.what());
    } catch (const std::bad_alloc&) {
        scenario::platform::report_failure("out of memory");
    } catch (const std::exception& e) {
        scenario::platform::report_failure(e.what());
    }
    return scenario::k_exit_file_failure;
}
