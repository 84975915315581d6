// The program's entry: create the window object and run. Only this file ends the process. A
// Windows build is a GUI program whose runtime calls this same main.
#include <exception>
#include <new>

#include "platform/platform.h"
#include "run/run_sequence.h"

int main() {
    scenario::platform::prepare_process(
        [] { scenario::platform::give_up("zelnor-scenario: out of memory"); });
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
    return scenario::k_exit_failure;
}
