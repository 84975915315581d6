// Waiting for a few files to be saved. An editor saves in one of several ways: it writes the file
// in place and closes it, writes a temporary file and renames it over the name (as
// platform::replace_file does), or deletes the file and writes it anew; the watcher sees each of
// them as a change. It watches the folders that hold the files, so a file may be missing when the
// watcher is made and appear later, and it looks only at the files' own names: other files in the
// same folders, a save's temporary file among them, never wake it.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <vector>

namespace scenario::platform {

class file_watcher {
   public:
    // Starts watching at once: a save after construction is reported by the next wait, even one
    // made before that wait begins. The files' folders must exist (file_error otherwise) and
    // stay; a folder that is removed is reported once as a change and then no longer watched.
    explicit file_watcher(std::vector<std::filesystem::path> files);
    ~file_watcher();
    file_watcher(file_watcher&&) noexcept;
    file_watcher& operator=(file_watcher&&) noexcept;
    file_watcher(const file_watcher&) = delete;
    file_watcher& operator=(const file_watcher&) = delete;

    // True as soon as one of the files has been saved since the last wait (or since the watcher
    // was made), false when `timeout` passes first. The burst of events of one save comes out as
    // one change: after the first, the wait goes on until the folders have been quiet for
    // k_settle (for at most k_settle_limit), and swallows what comes meanwhile. Throws file_error
    // when the system stops delivering events.
    bool wait_for_change(std::chrono::milliseconds timeout);

    const std::vector<std::filesystem::path>& files() const;

    static constexpr std::chrono::milliseconds k_settle{100};
    static constexpr std::chrono::milliseconds k_settle_limit{1000};

    struct impl;

   private:
    std::unique_ptr<impl> impl_;
};

}  // namespace scenario::platform
