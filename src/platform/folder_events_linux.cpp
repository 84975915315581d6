// The folders' events from inotify: one watch per folder, and each event's name compared with the
// names of the files in that folder.
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <string>

#include "platform/folder_events.h"
#include "platform/platform.h"

namespace scenario::platform {
namespace {

// Written in place and closed; renamed over the name or away from it; created; deleted.
constexpr std::uint32_t k_saves =
    IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE;

std::filesystem::path folder_of(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

}  // namespace

struct folder_events::state {
    int fd = -1;
    // The names watched in each folder, by watch descriptor.
    std::map<int, std::vector<std::string>> names;

    ~state() {
        if (fd >= 0) ::close(fd);
    }
    heard take_events();
};

folder_events::folder_events(const std::vector<std::filesystem::path>& files)
    : state_(std::make_unique<state>()) {
    state_->fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (state_->fd < 0) {
        throw file_error(files.empty() ? "." : folder_of(files.front()), "watch",
                         std::strerror(errno));
    }
    for (const std::filesystem::path& file : files) {
        const std::filesystem::path folder = folder_of(file);
        // A folder named twice (even under two paths) gives the same descriptor.
        const int wd = ::inotify_add_watch(state_->fd, folder.c_str(), k_saves | IN_ONLYDIR);
        if (wd < 0) throw file_error(folder, "watch", std::strerror(errno));
        state_->names[wd].push_back(file.filename().string());
    }
}

folder_events::~folder_events() = default;

heard folder_events::listen(std::chrono::milliseconds timeout) {
    pollfd p{state_->fd, POLLIN, 0};
    const int ms = static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(
        timeout.count(), 0, std::chrono::milliseconds::rep{1} << 30));
    if (::poll(&p, 1, ms) < 0 && errno != EINTR) {
        throw file_error(".", "watch", std::strerror(errno));
    }
    return state_->take_events();
}

heard folder_events::state::take_events() {
    heard found = heard::nothing;
    alignas(inotify_event) char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) return found;
            throw file_error(".", "watch", std::strerror(errno));
        }
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (found == heard::nothing) found = heard::others;
            // Events were lost, or a folder went away (its watch ends with it): either may
            // have been a save.
            if (event->mask & IN_Q_OVERFLOW) {
                found = heard::files;
                continue;
            }
            const auto watched = names.find(event->wd);
            if (watched == names.end()) continue;
            if (event->mask & IN_IGNORED) {
                names.erase(watched);
                found = heard::files;
                continue;
            }
            const std::string_view name(event->len ? event->name : "");
            if ((event->mask & k_saves) && std::find(watched->second.begin(), watched->second.end(),
                                                     name) != watched->second.end()) {
                found = heard::files;
            }
        }
    }
}

}  // namespace scenario::platform
