// The system's side of file_watcher, used inside src/platform only: the events of the folders
// that hold a list of files, sorted into those that concern the files and the rest.
// folder_events_linux.cpp reads them from inotify, folder_events_windows.cpp from
// ReadDirectoryChangesW.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <vector>

namespace scenario::platform {

enum class heard {
    nothing,  // no event came
    others,   // events, none of them about the files
    files,    // at least one of the files was written, renamed over, created or deleted
};

class folder_events {
   public:
    // Starts collecting the folders' events; file_error when a folder cannot be watched.
    explicit folder_events(const std::vector<std::filesystem::path>& files);
    ~folder_events();
    folder_events(const folder_events&) = delete;
    folder_events& operator=(const folder_events&) = delete;

    // Waits up to `timeout` for events, then takes every event already there.
    heard listen(std::chrono::milliseconds timeout);

    struct state;

   private:
    std::unique_ptr<state> state_;
};

}  // namespace scenario::platform
