// The floor a writing process is held to, as a process of its own: it writes files whose bytes
// are already in memory (mapped from reference copies) with one write per file and nothing else.
//
//   scenario_write_floor plain|durable FROM TO NAME...
//
// writes FROM/NAME to TO/NAME for each NAME in turn (created or truncated, one write). "durable"
// adds an fsync of each file before it is closed and one fsync of TO after the last file: the
// least any writer that promises whole files across a power cut has to pay. Exit status 0 when
// every file was written whole.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

bool fail(const std::string& what, const std::string& file) {
    std::fprintf(stderr, "scenario_write_floor: %s %s: %s\n", what.c_str(), file.c_str(),
                 std::strerror(errno));
    return false;
}

// The bytes of a reference file, mapped and faulted in before any timing matters: the floor
// starts from bytes already in memory, as a writer that has just built them does.
struct mapped_file {
    const char* data = nullptr;
    std::size_t size = 0;
};

bool map_file(const std::string& file, mapped_file& out) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail("open", file);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return fail("stat", file);
    }
    out.size = static_cast<std::size_t>(st.st_size);
    if (out.size > 0) {
        void* p = ::mmap(nullptr, out.size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (p == MAP_FAILED) {
            ::close(fd);
            return fail("map", file);
        }
        out.data = static_cast<const char*>(p);
    }
    ::close(fd);
    return true;
}

bool write_file(const std::string& file, const mapped_file& bytes, bool durable) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return fail("create", file);
    std::size_t done = 0;
    while (done < bytes.size) {
        const ssize_t n = ::write(fd, bytes.data + done, bytes.size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ::close(fd);
            return fail("write", file);
        }
        done += static_cast<std::size_t>(n);
    }
    if (durable && ::fsync(fd) != 0) {
        ::close(fd);
        return fail("fsync", file);
    }
    if (::close(fd) != 0) return fail("close", file);
    return true;
}

bool flush_directory(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return fail("open", dir);
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok || fail("fsync", dir);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5 ||
        (std::string_view(argv[1]) != "plain" && std::string_view(argv[1]) != "durable")) {
        std::fprintf(stderr, "usage: scenario_write_floor plain|durable FROM TO NAME...\n");
        return 2;
    }
    const bool durable = std::string_view(argv[1]) == "durable";
    const std::string from = argv[2];
    const std::string to = argv[3];
    constexpr int k_max_files = 16;
    mapped_file files[k_max_files];
    const int count = argc - 4;
    if (count > k_max_files) return 2;
    for (int i = 0; i < count; ++i) {
        if (!map_file(from + "/" + argv[4 + i], files[i])) return 1;
    }
    for (int i = 0; i < count; ++i) {
        if (!write_file(to + "/" + argv[4 + i], files[i], durable)) return 1;
    }
    if (durable && !flush_directory(to)) return 1;
    return 0;
}
