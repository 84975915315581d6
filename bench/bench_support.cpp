// The benchmarks' shared pieces. The floor writes with the bare POSIX calls, so that it costs
// what the operating system charges for the bytes and nothing more.
#include "bench_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "compile/description_source.h"
#include "output/binary_files.h"
#include "run/run_sequence.h"
#include "base/scenario_files.h"

namespace scenario::bench {

std::int32_t compile_texts(run_state& state, const synthetic_texts& texts) {
    memory_descriptions source(texts.line, texts.train);
    const compile_outcome outcome = compila_scenario(state, 1, source);
    if (outcome.identity_fault != 0) return outcome.identity_fault;
    return state.codice_errore;
}

file_images serialise_all(const run_state& state) {
    return {serialise_geometria(state.geometria), serialise_testata(state.testata),
            serialise_celle(state.celle)};
}

namespace {

void write_whole(const std::filesystem::path& file, std::string_view bytes, bool durable) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) throw std::runtime_error("cannot open " + file.string());
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    const int err = errno;
    const bool flushed = !durable || ::fsync(fd) == 0;
    ::close(fd);
    if (n != static_cast<ssize_t>(bytes.size()))
        throw std::runtime_error("short write to " + file.string() + ": " + std::strerror(err));
    if (!flushed) throw std::runtime_error("cannot flush " + file.string());
}

void write_images(const std::filesystem::path& dir, const file_images& images, bool durable) {
    const std::string line(k_nome_linea);
    const std::string train(k_codice_treno);
    write_whole(dir / path_from_utf8(scenario_file_name(line, train, file_kind::line_geometry)),
                images.geometry, durable);
    write_whole(dir / path_from_utf8(scenario_file_name(line, train, file_kind::header_table)),
                images.header, durable);
    write_whole(dir / path_from_utf8(scenario_file_name(line, train, file_kind::cells)),
                images.cells, durable);
}

}  // namespace

void plain_write(const std::filesystem::path& dir, const file_images& images) {
    write_images(dir, images, false);
}

void durable_write(const std::filesystem::path& dir, const file_images& images) {
    write_images(dir, images, true);
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool flushed = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0) ::close(fd);
    if (!flushed) throw std::runtime_error("cannot flush " + dir.string());
}

std::uintmax_t directory_bytes(const std::filesystem::path& dir) {
    std::uintmax_t total = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.is_regular_file()) total += entry.file_size();
    }
    return total;
}

}  // namespace scenario::bench
