// Running out of file descriptors on purpose, for the tests of what a server does when the system
// gives it none, or refuses a wait on more sockets than the process may hold (Linux only). Each
// helper lowers the process's soft limit and puts it back when it goes; nothing else in the
// process may need a descriptor meanwhile.
#pragma once

#ifndef _WIN32

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace scenario::testing {

inline void set_descriptor_limit(rlim_t soft) {
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = soft;
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

// The soft limit on descriptors set to `limit` while it lives.
class descriptor_limit {
   public:
    explicit descriptor_limit(rlim_t limit) {
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        set_descriptor_limit(limit);
    }
    ~descriptor_limit() { ::setrlimit(RLIMIT_NOFILE, &saved_); }
    descriptor_limit(const descriptor_limit&) = delete;
    descriptor_limit& operator=(const descriptor_limit&) = delete;

   private:
    rlimit saved_{};
};

// Exactly `spare` descriptors left to open while it lives: every free number below the limit is
// taken by a copy of /dev/null, and the limit lies `spare` above the highest.
class descriptor_squeeze {
   public:
    explicit descriptor_squeeze(rlim_t spare) : null_(::open("/dev/null", O_RDONLY | O_CLOEXEC)) {
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        int highest = null_;
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
            highest = std::max(highest, std::stoi(entry.path().filename().string()));
        }
        set_descriptor_limit(static_cast<rlim_t>(highest) + 1);
        for (int copy = ::fcntl(null_, F_DUPFD_CLOEXEC, 0); copy >= 0;
             copy = ::fcntl(null_, F_DUPFD_CLOEXEC, 0)) {
            copies_.push_back(copy);
        }
        set_descriptor_limit(static_cast<rlim_t>(highest) + 1 + spare);
    }
    ~descriptor_squeeze() {
        for (const int copy : copies_) ::close(copy);
        ::close(null_);
        ::setrlimit(RLIMIT_NOFILE, &saved_);
    }
    descriptor_squeeze(const descriptor_squeeze&) = delete;
    descriptor_squeeze& operator=(const descriptor_squeeze&) = delete;

   private:
    int null_;
    rlimit saved_{};
    std::vector<int> copies_;
};

// The processor time the whole process has used, in seconds (user and system).
inline double processor_seconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace scenario::testing

#endif
