// Windows side of the platform layer: Win32 files with wide (UTF-16) names, the module file name,
// the window "Form1" with its label, and the message box of the error report.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>

#include "platform/platform.h"
#include "platform/system_reason.h"

namespace scenario::platform {
namespace {

std::wstring wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string narrow(std::wstring_view text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

constexpr int k_client_width_twips = 4200;
constexpr int k_client_height_twips = 2688;
constexpr int k_label_left_twips = 960;
constexpr int k_label_top_twips = 960;
constexpr int k_label_width_twips = 2652;
constexpr int k_label_height_twips = 792;
constexpr int k_label_points = 24;
constexpr const wchar_t* k_class_name = L"Form1";
constexpr const wchar_t* k_program_title = L"zelnor-scenario";

LRESULT CALLBACK form_procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CTLCOLORSTATIC) {
        // The label sits on the form's own face colour.
        SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

std::string system_reason(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n ? std::wstring(buffer, n) : L"error " + std::to_wstring(code);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return narrow(text);
}

std::filesystem::path program_directory() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) throw file_error("(program)", "locate", system_reason(GetLastError()));
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    return std::filesystem::path(buffer).parent_path();
}

std::string read_file(const std::filesystem::path& file) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw file_error(file, "read", system_reason(GetLastError()));
    std::string bytes;
    // The string is made the file's size at once, instead of growing as it is read.
    LARGE_INTEGER size{};
    if (GetFileSizeEx(h, &size)) bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(h, buffer, sizeof buffer, &n, nullptr)) {
            const DWORD err = GetLastError();
            CloseHandle(h);
            throw file_error(file, "read", system_reason(err));
        }
        if (n == 0) break;
        bytes.append(buffer, n);
    }
    CloseHandle(h);
    return bytes;
}

std::filesystem::path temporary_name(const std::filesystem::path& file) {
    std::filesystem::path temporary = file;
    temporary += L".tmp";
    return temporary;
}

namespace {

HANDLE as_handle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

// Creates the temporary file exclusively (CREATE_NEW never opens what is there, and a link at the
// name counts as there). A leftover file or link of a killed run is removed once and the create
// tried again; a directory stays and is reported.
HANDLE create_exclusively(const std::filesystem::path& temporary) {
    for (int attempt = 0;; ++attempt) {
        HANDLE h = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (h != INVALID_HANDLE_VALUE) return h;
        const DWORD err = GetLastError();
        const DWORD attributes = GetFileAttributesW(temporary.c_str());
        const bool there = err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS ||
                           (err == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES);
        if (!there || attempt > 0) throw file_error(temporary, "create", system_reason(err));
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            throw file_error(temporary, "create", system_reason(ERROR_ACCESS_DENIED));
        }
        const bool removed = (attributes & FILE_ATTRIBUTE_DIRECTORY)
                                 ? RemoveDirectoryW(temporary.c_str())  // a directory link
                                 : DeleteFileW(temporary.c_str());
        if (!removed && GetLastError() != ERROR_FILE_NOT_FOUND) {
            throw file_error(temporary, "remove", system_reason(GetLastError()));
        }
    }
}

void write_all(HANDLE h, std::string_view bytes, const std::filesystem::path& file) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD n = 0;
        if (!WriteFile(h, bytes.data() + done, chunk, &n, nullptr)) {
            throw file_error(file, "write", system_reason(GetLastError()));
        }
        done += n;
    }
}

}  // namespace

staged_file::staged_file(std::filesystem::path file)
    : file_(std::move(file)), temporary_(temporary_name(file_)) {
    // No rename can replace a directory: say so before anything of a set is renamed.
    const DWORD attributes = GetFileAttributesW(file_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        throw file_error(file_, "write", system_reason(ERROR_ACCESS_DENIED));
    }
    handle_ = reinterpret_cast<std::intptr_t>(create_exclusively(temporary_));
    open_ = true;
}

staged_file::~staged_file() {
    if (open_) CloseHandle(as_handle(handle_));
    if (!committed_) DeleteFileW(temporary_.c_str());
}

void staged_file::write(std::string_view bytes) {
    write_all(as_handle(handle_), bytes, temporary_);
}

void staged_file::flush() {
    HANDLE h = as_handle(handle_);
    if (!FlushFileBuffers(h)) throw file_error(temporary_, "flush", system_reason(GetLastError()));
    open_ = false;
    if (!CloseHandle(h)) throw file_error(temporary_, "write", system_reason(GetLastError()));
}

void staged_file::close_unflushed() {
    open_ = false;
    if (!CloseHandle(as_handle(handle_))) {
        throw file_error(temporary_, "write", system_reason(GetLastError()));
    }
}

void staged_file::commit() {
    if (!MoveFileExW(temporary_.c_str(), file_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        throw file_error(file_, "write", system_reason(GetLastError()));
    }
    committed_ = true;
}

// Every rename was written through; there is nothing left to flush.
void flush_directory(const std::filesystem::path&) {}

void write_output_file(const std::filesystem::path& file, std::string_view bytes) {
    // A device such as CON or NUL opens as something other than a disk file.
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_DISK) {
        try {
            write_all(h, bytes, file);
        } catch (...) {
            CloseHandle(h);
            throw;
        }
        CloseHandle(h);
        return;
    }
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    replace_file(file, bytes, file_life::lasting);
}

void delete_file(const std::filesystem::path& file) {
    if (!DeleteFileW(file.c_str())) {
        const DWORD err = GetLastError();
        if (err != ERROR_FILE_NOT_FOUND) throw file_error(file, "delete", system_reason(err));
    }
}

namespace {

// The mutex name for a directory: a hash of its full path, case folded as Windows compares names.
std::wstring lock_name(const std::filesystem::path& directory) {
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFullPathNameW(directory.c_str(), static_cast<DWORD>(full.size()),
                                         full.data(), nullptr);
        if (n == 0) throw file_error(directory, "lock", system_reason(GetLastError()));
        if (n < full.size()) {
            full.resize(n);
            break;
        }
        full.resize(n);
    }
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
    CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const wchar_t c : full) {
        hash = (hash ^ static_cast<std::uint16_t>(c == L'/' ? L'\\' : c)) * 1099511628211ull;
    }
    wchar_t digits[17];
    swprintf(digits, 17, L"%016llx", static_cast<unsigned long long>(hash));
    return L"Local\\zelnor-scenario-directory-" + std::wstring(digits);
}

}  // namespace

directory_lock::directory_lock(const std::filesystem::path& directory,
                               std::chrono::milliseconds patience) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, lock_name(directory).c_str());
    if (mutex == nullptr) throw file_error(directory, "lock", system_reason(GetLastError()));
    const DWORD waited = WaitForSingleObject(mutex, static_cast<DWORD>(patience.count()));
    // An abandoned mutex belonged to a run that ended without releasing it: it is ours now.
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        const DWORD err = GetLastError();
        CloseHandle(mutex);
        throw file_error(directory, "lock",
                         waited == WAIT_TIMEOUT ? busy_reason(patience) : system_reason(err));
    }
    handle_ = reinterpret_cast<std::intptr_t>(mutex);
}

directory_lock::~directory_lock() {
    if (handle_ != -1) {
        ReleaseMutex(as_handle(handle_));
        CloseHandle(as_handle(handle_));
    }
}

// Windows has no signal for a file-size limit.
void prepare_process(std::terminate_handler on_terminate) { std::set_terminate(on_terminate); }

struct waiting_window::impl {
    HWND form = nullptr;
    HFONT font = nullptr;
};

waiting_window::waiting_window() : impl_(std::make_unique<impl>()) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = form_procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = k_class_name;
    RegisterClassW(&wc);

    HDC screen = GetDC(nullptr);
    const int dpi_x = GetDeviceCaps(screen, LOGPIXELSX);
    const int dpi_y = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    auto px = [](int twips, int dpi) { return MulDiv(twips, dpi, 1440); };

    const DWORD style = WS_OVERLAPPEDWINDOW;
    RECT frame{0, 0, px(k_client_width_twips, dpi_x), px(k_client_height_twips, dpi_y)};
    AdjustWindowRect(&frame, style, FALSE);
    impl_->form = CreateWindowExW(0, k_class_name, L"Form1", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                  nullptr, instance, nullptr);
    if (impl_->form == nullptr) return;
    HWND label = CreateWindowExW(0, L"STATIC", L"Attendere", WS_CHILD | WS_VISIBLE | SS_LEFT,
                                 px(k_label_left_twips, dpi_x), px(k_label_top_twips, dpi_y),
                                 px(k_label_width_twips, dpi_x), px(k_label_height_twips, dpi_y),
                                 impl_->form, nullptr, instance, nullptr);
    impl_->font = CreateFontW(-MulDiv(k_label_points, dpi_y, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE,
                              FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(impl_->font), TRUE);
    ShowWindow(impl_->form, SW_SHOWNORMAL);
    UpdateWindow(impl_->form);
    UpdateWindow(label);
}

waiting_window::~waiting_window() {
    if (impl_->form) DestroyWindow(impl_->form);
    if (impl_->font) DeleteObject(impl_->font);
}

void show_error_box(std::string_view text) {
    write_error_line(text);
    MessageBoxW(nullptr, wide(text).c_str(), k_program_title, MB_OK);
}

void report_failure(std::string_view message) {
    write_error_line("zelnor-scenario: " + std::string(message));
    MessageBoxW(nullptr, wide(message).c_str(), k_program_title, MB_OK | MB_ICONERROR);
}

}  // namespace scenario::platform
