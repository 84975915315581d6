// Windows side of the platform layer: Win32 files with wide (UTF-16) names, the module file name,
// the window "Form1" with its label, and the message box of the error report.
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "platform/platform.h"

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

std::string system_reason(DWORD code) {
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

void replace_file(const std::filesystem::path& file, std::string_view bytes) {
    std::filesystem::path temporary = file;
    temporary += L".tmp";
    HANDLE h = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw file_error(file, "write", system_reason(GetLastError()));
    auto fail = [&](DWORD err) {
        DeleteFileW(temporary.c_str());
        throw file_error(file, "write", system_reason(err));
    };
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD n = 0;
        if (!WriteFile(h, bytes.data() + done, chunk, &n, nullptr)) {
            const DWORD err = GetLastError();
            CloseHandle(h);
            fail(err);
        }
        done += n;
    }
    if (!CloseHandle(h)) fail(GetLastError());
    if (!MoveFileExW(temporary.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING))
        fail(GetLastError());
}

void delete_file(const std::filesystem::path& file) {
    if (!DeleteFileW(file.c_str())) {
        const DWORD err = GetLastError();
        if (err != ERROR_FILE_NOT_FOUND) throw file_error(file, "delete", system_reason(err));
    }
}

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
    std::cerr << text << '\n';
    MessageBoxW(nullptr, wide(text).c_str(), k_program_title, MB_OK);
}

void report_failure(std::string_view message) {
    std::cerr << "zelnor-scenario: " << message << '\n';
    MessageBoxW(nullptr, wide(message).c_str(), k_program_title, MB_OK | MB_ICONERROR);
}

}  // namespace scenario::platform
