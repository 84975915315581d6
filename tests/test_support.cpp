#include "test_support.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>

#include "run/run_sequence.h"
#include "run/scenario_files.h"

namespace scenario::testing {

scratch_directory::scratch_directory() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("scenario-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
}

scratch_directory::~scratch_directory() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

run_state state_in(const std::filesystem::path& dir) {
    run_state state;
    state.nome_linea = std::string(k_nome_linea);
    state.codice_treno = std::string(k_codice_treno);
    state.scenario_directory = [dir] { return dir; };
    return state;
}

std::string read_bytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void write_bytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> file_names(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::u8string n = entry.path().filename().u8string();
        names.emplace_back(n.begin(), n.end());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace scenario::testing
