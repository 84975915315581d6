// The process whose peak memory `make bench` reports: it compiles the largest synthetic scenario
// and writes its three files into the directory named by its one argument, like the program's
// own compile-and-write step. Exit status 0 when the scenario compiled cleanly and was written.
#include <exception>
#include <iostream>

#include "bench_support.h"
#include "output/binary_files.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: scenario_peak_memory DIRECTORY\n";
        return 2;
    }
    try {
        using namespace scenario;
        run_state state = bench::state_in(argv[1]);
        if (bench::compile_texts(state, make_synthetic_scenario(synthetic_size{})) != 0) {
            std::cerr << "scenario_peak_memory: the synthetic scenario did not compile cleanly\n";
            return 1;
        }
        scrivi_file_binari(state, directory_flush::here);
    } catch (const std::exception& e) {
        std::cerr << "scenario_peak_memory: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
