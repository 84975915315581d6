// The folders' events from ReadDirectoryChangesW: one overlapped read per folder, always kept
// pending so that nothing is missed between waits, and each record's name compared (without case,
// as Windows compares names) with the names of the files in that folder.
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/folder_events.h"
#include "platform/platform.h"
#include "platform/system_reason.h"

namespace scenario::platform {
namespace {

constexpr DWORD k_changes =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;

std::filesystem::path folder_of(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(L".");
}

bool same_name(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

struct folder {
    std::filesystem::path path;
    HANDLE directory = INVALID_HANDLE_VALUE;
    HANDLE event = nullptr;
    OVERLAPPED overlapped{};
    bool pending = false;
    std::vector<DWORD> buffer = std::vector<DWORD>(4096);  // 16 KiB, aligned as the records need
    std::vector<std::wstring> names;

    ~folder() {
        if (pending) {
            CancelIoEx(directory, &overlapped);
            DWORD bytes = 0;
            GetOverlappedResult(directory, &overlapped, &bytes, TRUE);
        }
        if (event) CloseHandle(event);
        if (directory != INVALID_HANDLE_VALUE) CloseHandle(directory);
    }

    // Starts the next read; false when the folder can no longer be read (it went away).
    bool start() {
        ResetEvent(event);
        overlapped = OVERLAPPED{};
        overlapped.hEvent = event;
        pending = ReadDirectoryChangesW(directory, buffer.data(),
                                        static_cast<DWORD>(buffer.size() * sizeof(DWORD)), FALSE,
                                        k_changes, nullptr, &overlapped, nullptr);
        return pending;
    }

    // The records of a finished read.
    heard take_records(DWORD bytes) const {
        // No records: more changed than the buffer could hold.
        if (bytes == 0) return heard::files;
        heard found = heard::others;
        const auto* at = reinterpret_cast<const char*>(buffer.data());
        for (;;) {
            const auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(at);
            const std::wstring_view name(record->FileName, record->FileNameLength / sizeof(WCHAR));
            if (std::any_of(names.begin(), names.end(),
                            [&](const std::wstring& n) { return same_name(n, name); })) {
                found = heard::files;
            }
            if (record->NextEntryOffset == 0) return found;
            at += record->NextEntryOffset;
        }
    }
};

}  // namespace

struct folder_events::state {
    std::vector<std::unique_ptr<folder>> folders;
};

folder_events::folder_events(const std::vector<std::filesystem::path>& files)
    : state_(std::make_unique<state>()) {
    for (const std::filesystem::path& file : files) {
        const std::filesystem::path path = folder_of(file);
        auto known = std::find_if(state_->folders.begin(), state_->folders.end(),
                                  [&](const auto& f) { return f->path == path; });
        if (known == state_->folders.end()) {
            auto f = std::make_unique<folder>();
            f->path = path;
            f->directory = CreateFileW(path.c_str(), FILE_LIST_DIRECTORY,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
            if (f->directory == INVALID_HANDLE_VALUE) {
                throw file_error(path, "watch", system_reason(GetLastError()));
            }
            f->event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            if (f->event == nullptr || !f->start()) {
                throw file_error(path, "watch", system_reason(GetLastError()));
            }
            state_->folders.push_back(std::move(f));
            known = state_->folders.end() - 1;
        }
        (*known)->names.push_back(file.filename().wstring());
    }
}

folder_events::~folder_events() = default;

heard folder_events::listen(std::chrono::milliseconds timeout) {
    std::vector<HANDLE> events;
    for (const auto& f : state_->folders) {
        if (f->pending) events.push_back(f->event);
    }
    const DWORD ms = static_cast<DWORD>(std::clamp<std::chrono::milliseconds::rep>(
        timeout.count(), 0, std::chrono::milliseconds::rep{1} << 30));
    if (events.empty()) {
        Sleep(ms);
        return heard::nothing;
    }
    const DWORD waited =
        WaitForMultipleObjects(static_cast<DWORD>(events.size()), events.data(), FALSE, ms);
    if (waited == WAIT_TIMEOUT) return heard::nothing;
    if (waited == WAIT_FAILED) throw file_error(".", "watch", system_reason(GetLastError()));

    heard found = heard::nothing;
    for (const auto& f : state_->folders) {
        if (!f->pending || WaitForSingleObject(f->event, 0) != WAIT_OBJECT_0) continue;
        DWORD bytes = 0;
        const bool read = GetOverlappedResult(f->directory, &f->overlapped, &bytes, FALSE);
        f->pending = false;
        // A failed read (the folder went away) is reported once as a change, as is a read
        // that came back empty because too much changed; a folder that cannot be read again
        // is no longer watched.
        const heard h = read ? f->take_records(bytes) : heard::files;
        if (h == heard::files || found == heard::nothing) found = h;
        f->start();
    }
    return found;
}

}  // namespace scenario::platform
