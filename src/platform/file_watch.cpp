// The watcher's waiting and settling, the same on both systems over folder_events.
#include "platform/file_watch.h"

#include <algorithm>

#include "platform/folder_events.h"

namespace scenario::platform {
namespace {

using clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

milliseconds left_until(clock::time_point deadline) {
    return std::max(std::chrono::ceil<milliseconds>(deadline - clock::now()), milliseconds{0});
}

}  // namespace

struct file_watcher::impl {
    explicit impl(std::vector<std::filesystem::path> watched)
        : files(std::move(watched)), events(files) {}

    std::vector<std::filesystem::path> files;
    folder_events events;
};

file_watcher::file_watcher(std::vector<std::filesystem::path> files)
    : impl_(std::make_unique<impl>(std::move(files))) {}

file_watcher::~file_watcher() = default;
file_watcher::file_watcher(file_watcher&&) noexcept = default;
file_watcher& file_watcher::operator=(file_watcher&&) noexcept = default;

bool file_watcher::wait_for_change(milliseconds timeout) {
    const auto deadline = clock::now() + timeout;
    // The events already waiting are taken first, so a zero timeout still sees them.
    while (impl_->events.listen(left_until(deadline)) != heard::files) {
        if (clock::now() >= deadline) return false;
    }
    const auto settled_by = clock::now() + k_settle_limit;
    while (clock::now() < settled_by &&
           impl_->events.listen(std::min(k_settle, left_until(settled_by))) != heard::nothing) {
    }
    return true;
}

const std::vector<std::filesystem::path>& file_watcher::files() const { return impl_->files; }

}  // namespace scenario::platform
