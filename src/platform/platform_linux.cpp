// Linux side of the platform layer: POSIX files, /proc/self/exe, and an Xlib window and error
// box when a display is there. Xlib is loaded at run time, so the program starts (and reports on
// standard error) on a machine without it, or with a C library of another release than its own.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <gnu/libc-version.h>
#include <poll.h>
#include <sys/auxv.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/platform.h"

namespace scenario::platform {
namespace {

std::string errno_reason(int err) { return std::strerror(err); }

// Whether Xlib may be loaded into this process. The program is linked statically (it starts
// without the dynamic loader's work), so it carries its own C library, and Xlib brings the
// machine's shared one beside it: the two work together only when they are one release. The
// shared library names its release in its banner ("... release version 2.36."), and is looked
// for where the compiler found it. A program linked dynamically has only the one C library.
bool xlib_fits_this_process() {
    // The dynamic loader's own address: none in a program linked statically.
    if (getauxval(AT_BASE) != 0) return true;
#ifdef SCENARIO_SHARED_LIBC
    const int fd = ::open(SCENARIO_SHARED_LIBC, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    void* bytes = MAP_FAILED;
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
        bytes =
            ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    }
    ::close(fd);
    if (bytes == MAP_FAILED) return false;
    char release[64];
    std::snprintf(release, sizeof release, "release version %s.", gnu_get_libc_version());
    const std::string_view library(static_cast<const char*>(bytes),
                                   static_cast<std::size_t>(st.st_size));
    const bool same = library.find(release) != std::string_view::npos;
    ::munmap(bytes, static_cast<std::size_t>(st.st_size));
    return same;
#else
    return false;
#endif
}

// The few Xlib entry points the window and the error box use.
struct xlib {
    void* handle = nullptr;
    decltype(&XOpenDisplay) open_display = nullptr;
    decltype(&XCloseDisplay) close_display = nullptr;
    decltype(&XCreateSimpleWindow) create_window = nullptr;
    decltype(&XDestroyWindow) destroy_window = nullptr;
    decltype(&XStoreName) store_name = nullptr;
    decltype(&XSelectInput) select_input = nullptr;
    decltype(&XMapWindow) map_window = nullptr;
    decltype(&XLoadQueryFont) load_font = nullptr;
    decltype(&XFreeFont) free_font = nullptr;
    decltype(&XCreateGC) create_gc = nullptr;
    decltype(&XFreeGC) free_gc = nullptr;
    decltype(&XSetFont) set_font = nullptr;
    decltype(&XDrawString) draw_string = nullptr;
    decltype(&XDrawRectangle) draw_rectangle = nullptr;
    decltype(&XTextWidth) text_width = nullptr;
    decltype(&XFlush) flush = nullptr;
    decltype(&XPending) pending = nullptr;
    decltype(&XNextEvent) next_event = nullptr;
    decltype(&XConnectionNumber) connection_number = nullptr;
    decltype(&XInternAtom) intern_atom = nullptr;
    decltype(&XSetWMProtocols) set_wm_protocols = nullptr;

    // Loaded only when a display is named; null when Xlib or the display is missing.
    static const xlib* get() {
        static const xlib loaded = load();
        return loaded.handle ? &loaded : nullptr;
    }

   private:
    template <typename F>
    bool bind(F& fn, const char* name) {
        fn = reinterpret_cast<F>(dlsym(handle, name));
        return fn != nullptr;
    }

    static xlib load() {
        xlib x;
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0' || !xlib_fits_this_process()) return x;
        x.handle = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        if (x.handle == nullptr) return x;
        const bool ok =
            x.bind(x.open_display, "XOpenDisplay") && x.bind(x.close_display, "XCloseDisplay") &&
            x.bind(x.create_window, "XCreateSimpleWindow") &&
            x.bind(x.destroy_window, "XDestroyWindow") && x.bind(x.store_name, "XStoreName") &&
            x.bind(x.select_input, "XSelectInput") && x.bind(x.map_window, "XMapWindow") &&
            x.bind(x.load_font, "XLoadQueryFont") && x.bind(x.free_font, "XFreeFont") &&
            x.bind(x.create_gc, "XCreateGC") && x.bind(x.free_gc, "XFreeGC") &&
            x.bind(x.set_font, "XSetFont") && x.bind(x.draw_string, "XDrawString") &&
            x.bind(x.draw_rectangle, "XDrawRectangle") && x.bind(x.text_width, "XTextWidth") &&
            x.bind(x.flush, "XFlush") && x.bind(x.pending, "XPending") &&
            x.bind(x.next_event, "XNextEvent") &&
            x.bind(x.connection_number, "XConnectionNumber") &&
            x.bind(x.intern_atom, "XInternAtom") && x.bind(x.set_wm_protocols, "XSetWMProtocols");
        if (!ok) {
            dlclose(x.handle);
            x.handle = nullptr;
        }
        return x;
    }
};

// Window geometry in twips, turned into pixels at the X screen's resolution.
constexpr int k_client_width_twips = 4200;
constexpr int k_client_height_twips = 2688;
constexpr int k_label_left_twips = 960;
constexpr int k_label_top_twips = 960;
constexpr const char* k_label = "Attendere";
constexpr const char* k_title = "Form1";
constexpr const char* k_program_title = "zelnor-scenario";

// A bold sans-serif face near 24 points; the X server's fixed font as the last resort.
XFontStruct* load_label_font(const xlib& x, Display* d) {
    for (const char* name :
         {"-*-helvetica-bold-r-normal--*-240-*-*-p-*-iso8859-1",
          "-*-*-bold-r-normal--*-240-*-*-*-*-iso8859-1", "-*-*-bold-r-*-*-24-*-*-*-*-*-iso8859-1",
          "12x24", "10x20", "9x15bold", "fixed"}) {
        if (XFontStruct* f = x.load_font(d, name)) return f;
    }
    return nullptr;
}

// Waits up to timeout_ms for the next event; false on time-out.
bool wait_event(const xlib& x, Display* d, XEvent& ev, int timeout_ms) {
    if (x.pending(d) == 0) {
        pollfd fd{x.connection_number(d), POLLIN, 0};
        if (poll(&fd, 1, timeout_ms) <= 0) return false;
    }
    x.next_event(d, &ev);
    return true;
}

}  // namespace

std::filesystem::path program_directory() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) throw file_error("/proc/self/exe", "read", ec.message());
    return exe.parent_path();
}

std::string read_file(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw file_error(file, "read", errno_reason(errno));
    std::string bytes;
    // A regular file's string is made its size at once, instead of growing as it is read.
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            throw file_error(file, "read", errno_reason(err));
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

std::filesystem::path temporary_name(const std::filesystem::path& file) {
    std::filesystem::path temporary = file;
    temporary += ".tmp";
    return temporary;
}

namespace {

constexpr int k_create_flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;

// Creates the temporary file exclusively. Whatever a killed run left at that name (a regular
// file, a link) is removed once and the create tried again; a directory stays and is reported.
int create_exclusively(const std::filesystem::path& temporary) {
    for (int attempt = 0;; ++attempt) {
        const int fd = ::open(temporary.c_str(), k_create_flags, 0666);
        if (fd >= 0) return fd;
        const int err = errno;
        if (err == EINTR) continue;
        struct stat st {};
        if (err != EEXIST || attempt > 0 || ::lstat(temporary.c_str(), &st) != 0) {
            throw file_error(temporary, "create", errno_reason(err));
        }
        if (S_ISDIR(st.st_mode)) throw file_error(temporary, "create", errno_reason(EISDIR));
        if (::unlink(temporary.c_str()) != 0 && errno != ENOENT) {
            throw file_error(temporary, "remove", errno_reason(errno));
        }
    }
}

void write_all(int fd, std::string_view bytes, const std::filesystem::path& file) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw file_error(file, "write", errno_reason(errno));
        }
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

staged_file::staged_file(std::filesystem::path file)
    : file_(std::move(file)), temporary_(temporary_name(file_)) {
    // No rename can replace a directory: say so before anything of a set is renamed.
    struct stat st {};
    if (::lstat(file_.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        throw file_error(file_, "write", errno_reason(EISDIR));
    }
    handle_ = create_exclusively(temporary_);
    open_ = true;
}

staged_file::~staged_file() {
    if (open_) ::close(static_cast<int>(handle_));
    if (!committed_) ::unlink(temporary_.c_str());
}

void staged_file::write(std::string_view bytes) {
    write_all(static_cast<int>(handle_), bytes, temporary_);
}

void staged_file::flush() {
    const int fd = static_cast<int>(handle_);
    if (::fsync(fd) != 0) throw file_error(temporary_, "flush", errno_reason(errno));
    open_ = false;
    if (::close(fd) != 0) throw file_error(temporary_, "write", errno_reason(errno));
}

void staged_file::close_unflushed() {
    open_ = false;
    if (::close(static_cast<int>(handle_)) != 0) {
        throw file_error(temporary_, "write", errno_reason(errno));
    }
}

void staged_file::commit() {
    if (::rename(temporary_.c_str(), file_.c_str()) != 0) {
        throw file_error(file_, "write", errno_reason(errno));
    }
    committed_ = true;
}

void flush_directory(const std::filesystem::path& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throw file_error(directory, "flush", errno_reason(errno));
    const int result = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    // Some file systems cannot flush a directory; their renames are as durable as they get.
    if (result != 0 && err != EINVAL) throw file_error(directory, "flush", errno_reason(err));
}

void write_output_file(const std::filesystem::path& file, std::string_view bytes) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || S_ISREG(st.st_mode)) {
        replace_file(file, bytes, file_life::lasting);
        return;
    }
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) throw file_error(file, "write", errno_reason(errno));
    try {
        write_all(fd, bytes, file);
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0) throw file_error(file, "write", errno_reason(errno));
}

void delete_file(const std::filesystem::path& file) {
    if (::unlink(file.c_str()) != 0 && errno != ENOENT) {
        throw file_error(file, "delete", errno_reason(errno));
    }
}

directory_lock::directory_lock(const std::filesystem::path& directory,
                               std::chrono::milliseconds patience) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throw file_error(directory, "lock", errno_reason(errno));
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        if (err == EINTR) continue;
        if (err != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            throw file_error(directory, "lock",
                             err == EWOULDBLOCK ? busy_reason(patience) : errno_reason(err));
        }
        ::usleep(20000);
    }
    handle_ = fd;
}

directory_lock::~directory_lock() {
    // Closing the descriptor releases the lock.
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

void prepare_process(std::terminate_handler on_terminate) {
    std::set_terminate(on_terminate);
    std::signal(SIGXFSZ, SIG_IGN);
}

struct waiting_window::impl {
    const xlib* x = nullptr;
    Display* display = nullptr;
    Window window = 0;
    GC gc = nullptr;
    XFontStruct* font = nullptr;
};

waiting_window::waiting_window() : impl_(std::make_unique<impl>()) {
    const xlib* x = xlib::get();
    Display* d = x ? x->open_display(nullptr) : nullptr;
    if (d == nullptr) {
        std::fputs("Attendere\n", stderr);
        return;
    }
    impl_->x = x;
    impl_->display = d;
    const int screen = DefaultScreen(d);
    // Pixels per inch of the screen, from its size in millimetres (96 when it reports none).
    auto dpi = [](int pixels, int millimetres) {
        return millimetres > 0 ? pixels * 25.4 / millimetres : 96.0;
    };
    const double dpi_x = dpi(DisplayWidth(d, screen), DisplayWidthMM(d, screen));
    const double dpi_y = dpi(DisplayHeight(d, screen), DisplayHeightMM(d, screen));
    auto px = [](int twips, double dpi) { return static_cast<int>(twips * dpi / 1440.0 + 0.5); };

    impl_->window = x->create_window(d, RootWindow(d, screen), 0, 0,
                                     static_cast<unsigned>(px(k_client_width_twips, dpi_x)),
                                     static_cast<unsigned>(px(k_client_height_twips, dpi_y)), 1,
                                     BlackPixel(d, screen), WhitePixel(d, screen));
    x->store_name(d, impl_->window, k_title);
    x->select_input(d, impl_->window, ExposureMask);
    impl_->gc = x->create_gc(d, impl_->window, 0, nullptr);
    impl_->font = load_label_font(*x, d);
    if (impl_->font) x->set_font(d, impl_->gc, impl_->font->fid);
    x->map_window(d, impl_->window);

    // Paint once the window is on screen, before the work starts.
    XEvent ev;
    while (wait_event(*x, d, ev, 1000)) {
        if (ev.type == Expose) break;
    }
    const int ascent = impl_->font ? impl_->font->ascent : 12;
    x->draw_string(d, impl_->window, impl_->gc, px(k_label_left_twips, dpi_x),
                   px(k_label_top_twips, dpi_y) + ascent, k_label, 9);
    x->flush(d);
}

waiting_window::~waiting_window() {
    if (impl_ && impl_->display) {
        const xlib& x = *impl_->x;
        if (impl_->font) x.free_font(impl_->display, impl_->font);
        if (impl_->gc) x.free_gc(impl_->display, impl_->gc);
        x.destroy_window(impl_->display, impl_->window);
        x.close_display(impl_->display);
    }
}

void show_error_box(std::string_view text) {
    write_error_line(text);
    const xlib* x = xlib::get();
    Display* d = x ? x->open_display(nullptr) : nullptr;
    if (d == nullptr) return;
    const int screen = DefaultScreen(d);
    constexpr int width = 260, height = 110;
    const Window w = x->create_window(d, RootWindow(d, screen), 0, 0, width, height, 1,
                                      BlackPixel(d, screen), WhitePixel(d, screen));
    x->store_name(d, w, k_program_title);
    x->select_input(d, w, ExposureMask | ButtonPressMask | KeyPressMask);
    Atom close_atom = x->intern_atom(d, "WM_DELETE_WINDOW", False);
    x->set_wm_protocols(d, w, &close_atom, 1);
    GC gc = x->create_gc(d, w, 0, nullptr);
    x->map_window(d, w);

    const std::string message(text);
    constexpr int button_x = 100, button_y = 65, button_w = 60, button_h = 26;
    for (;;) {
        XEvent ev;
        x->next_event(d, &ev);
        if (ev.type == Expose) {
            x->draw_string(d, w, gc, 20, 35, message.c_str(), static_cast<int>(message.size()));
            x->draw_rectangle(d, w, gc, button_x, button_y, button_w, button_h);
            x->draw_string(d, w, gc, button_x + 23, button_y + 17, "OK", 2);
        } else if (ev.type == KeyPress || ev.type == ClientMessage) {
            break;
        } else if (ev.type == ButtonPress && ev.xbutton.x >= button_x &&
                   ev.xbutton.x <= button_x + button_w && ev.xbutton.y >= button_y &&
                   ev.xbutton.y <= button_y + button_h) {
            break;
        }
    }
    x->free_gc(d, gc);
    x->destroy_window(d, w);
    x->close_display(d);
}

void report_failure(std::string_view message) {
    write_error_line(std::string(k_program_title) + ": " + std::string(message));
}

}  // namespace scenario::platform
