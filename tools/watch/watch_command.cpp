// `scenario-tool watch`: compiles an author's texts each time one of them is saved, tells the
// author what the compile found, and serves the page of `view` on the loopback address, where it
// follows every new compile by itself. The compile loop runs on the command's own thread; the
// server answers on its thread from the last compile the loop published, behind a mutex. Every
// file is written staged, so a Ctrl+C at any moment leaves each file whole, old or new. A server
// that stops serving ends the watch (exit status 3): the page the author is looking at would
// otherwise stop following the texts without a word.
#include "watch/watch_command.h"

#include <charconv>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "http/loopback_server.h"
#include "platform/file_watch.h"
#include "platform/platform.h"
#include "platform/sockets.h"
#include "session/binary_set.h"
#include "session/compile_session.h"
#include "view/view_data.h"
#include "view/view_page.h"

namespace scenario::tool {
namespace {

// One compile as the server gives it out.
struct live_snapshot {
    std::uint64_t version = 0;  // the number of the compile that made it
    std::string data;           // view_data_json: "dati"
    std::string page;           // the live page around the same data: "/"
};

// Shown at "/" until a compile has succeeded: it asks again every second and so turns into the
// live page by itself. Its empty icon, like the live page's, keeps the browser from asking for
// /favicon.ico, which the server does not have.
constexpr std::string_view k_waiting_page =
    "<!DOCTYPE html>\n<html lang=\"it\">\n<head>\n<meta charset=\"utf-8\">\n"
    "<meta http-equiv=\"refresh\" content=\"1\">\n<link rel=\"icon\" href=\"data:,\">\n"
    "<title>scenario-tool watch</title>\n"
    "</head>\n<body>\n<p>In attesa della prima compilazione riuscita: salvare i due testi.</p>\n"
    "</body>\n</html>\n";

constexpr std::string_view k_text_type = "text/plain; charset=utf-8";

// What the compile loop publishes and the server's thread reads: the last snapshot, swapped
// whole, so a request never sees the data of one compile with the number of another.
class live_pages {
   public:
    void publish(std::shared_ptr<const live_snapshot> snapshot) {
        const std::lock_guard<std::mutex> hold(mutex_);
        latest_ = std::move(snapshot);
    }

    // The three paths the page uses; everything else is not here. The path is compared as the
    // client sent it, so no spelling of a dot segment or an escape names anything else.
    http_response answer(const http_request& request) const {
        const std::shared_ptr<const live_snapshot> now = latest();
        if (request.path == "/" || request.path == "/index.html") {
            return {200, "text/html; charset=utf-8", now ? now->page : std::string(k_waiting_page)};
        }
        if (request.path == "/versione") {
            return {200, std::string(k_text_type), std::to_string(now ? now->version : 0)};
        }
        if (request.path == "/dati" && now) {
            return {200, "application/json; charset=utf-8", now->data};
        }
        if (request.path == "/dati") {
            return {404, std::string(k_text_type), "nessuna compilazione riuscita finora\n"};
        }
        return {404, std::string(k_text_type), "non trovato\n"};
    }

    bool has_compile() const { return latest() != nullptr; }

   private:
    std::shared_ptr<const live_snapshot> latest() const {
        const std::lock_guard<std::mutex> hold(mutex_);
        return latest_;
    }

    mutable std::mutex mutex_;
    std::shared_ptr<const live_snapshot> latest_;
};

// Whether two paths name the same file, whether or not it exists yet.
bool same_file(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec)) return true;
    const std::filesystem::path full_a = std::filesystem::absolute(a, ec).lexically_normal();
    const std::filesystem::path full_b = std::filesystem::absolute(b, ec).lexically_normal();
    return !ec && full_a == full_b;
}

struct watch_settings {
    std::optional<std::filesystem::path> page_file;  // -o: the page rewritten after each compile
    bool binary_set = false;                         // --out: the binary set written too
    std::uint16_t port = 0;                          // --port; 0: one the system picks
    std::uint64_t rounds = 0;                        // --compiles; 0: until interrupted
};

// The whole number an option names, from low to high; `absent` when the option is not given.
std::uint64_t number_option(const parsed_arguments& parsed, const std::string& option,
                            std::uint64_t low, std::uint64_t high, std::uint64_t absent) {
    const auto found = parsed.values.find(option);
    if (found == parsed.values.end()) return absent;
    const std::string& word = found->second;
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (word.empty() || error != std::errc() || end != word.data() + word.size() || value < low ||
        value > high) {
        throw usage_error("l'opzione " + option + " vuole un numero intero da " +
                          std::to_string(low) + " a " + std::to_string(high) + ": " + word);
    }
    return value;
}

// "compilazione 3 (14:02:17)": the line that opens the report of each compile.
std::string round_header(std::uint64_t round) {
    const std::time_t now = std::time(nullptr);
    char clock_text[16] = "";
    // The compile loop is the only caller of localtime in the process.
    if (const std::tm* local = std::localtime(&now)) {
        std::strftime(clock_text, sizeof clock_text, "%H:%M:%S", local);
    }
    return "compilazione " + std::to_string(round) + " (" + clock_text + ")";
}

// One compile: the texts as they are on the disk now, the files the options ask for, the
// snapshot published to the live page, and the report. A text that is missing or cannot be read, or
// a file that cannot be written, is reported and the watch goes on. Returns the compile's exit
// status (k_exit_failure when there was nothing to compile).
int compile_round(const scenario_request& request, const watch_settings& settings,
                  std::uint64_t round, live_pages& live, streams io) {
    io.out << round_header(round) << '\n';
    io.out.flush();
    std::unique_ptr<compiled_scenario> compiled;
    try {
        compiled = compile_scenario_texts(request);
    } catch (const tool_failure& e) {
        print_error(io.err, e.what());
        io.err << (live.has_compile()
                       ? "la pagina dal vivo resta all'ultima compilazione riuscita\n"
                       : "la pagina dal vivo attende la prima compilazione riuscita\n");
        return k_exit_failure;
    }

    auto made = std::make_shared<live_snapshot>();
    made->version = round;
    made->data = view_data_json(*compiled);
    made->page = view_page_html(made->data, true);
    const std::shared_ptr<const live_snapshot> snapshot = std::move(made);

    int status = compiled->status();
    std::vector<std::string> files;
    std::vector<std::string> failures;
    if (settings.binary_set) {
        try {
            files = write_binary_set(*compiled);
        } catch (const tool_failure& e) {
            failures.emplace_back(e.what());
        }
    }
    bool page_written = false;
    if (settings.page_file) {
        try {
            platform::write_output_file(*settings.page_file, view_page_html(snapshot->data, false));
            page_written = true;
        } catch (const platform::file_error& e) {
            failures.push_back("scrittura della pagina non riuscita (" + std::string(e.what()) +
                               ")");
        }
    }
    // The new number once the compile's files are all written: an author who sees the page
    // change may load the binary set at once.
    live.publish(snapshot);
    print_compile_report(compiled->report, files, io);
    if (page_written) io.out << "scritto: " << display_path(*settings.page_file) << '\n';
    for (const std::string& failure : failures) print_error(io.err, failure);
    if (!failures.empty()) status = k_exit_failure;
    return status;
}

loopback_server open_server(std::uint16_t port, live_pages& live) {
    try {
        return loopback_server(
            port, [&live](const http_request& request) { return live.answer(request); });
    } catch (const platform::network_error& e) {
        throw tool_failure("pagina dal vivo non disponibile (" + std::string(e.what()) + ")");
    }
}

// How often a watch waiting for a save looks whether its server still serves.
constexpr std::chrono::milliseconds k_server_check{250};

void require_serving(const loopback_server& server) {
    if (const std::optional<std::string> failure = server.failure()) {
        throw tool_failure("pagina dal vivo non più disponibile (" + *failure +
                           "): fine dell'osservazione");
    }
}

// Waits for the next save of a text; throws tool_failure as soon as the server has stopped.
void wait_for_save(platform::file_watcher& watcher, const loopback_server& server) {
    do {
        require_serving(server);
    } while (!watcher.wait_for_change(k_server_check));
}

}  // namespace

int watch_command(arguments args, streams io) {
    parsed_arguments parsed;
    const scenario_request request =
        parse_scenario_request(args, "watch", {"-o", "--port", "--compiles"}, {}, parsed);
    watch_settings settings;
    if (const auto chosen = parsed.values.find("-o"); chosen != parsed.values.end()) {
        settings.page_file = path_argument(chosen->second);
    }
    settings.binary_set = parsed.values.count("--out") != 0;
    settings.port = static_cast<std::uint16_t>(number_option(parsed, "--port", 0, 65535, 0));
    settings.rounds = number_option(parsed, "--compiles", 1, UINT64_MAX, 0);

    require_directory(request.dir);
    const auto [line_name, train_name] = scenario_text_names(request);
    const std::vector<std::filesystem::path> texts = {request.dir / path_argument(line_name),
                                                      request.dir / path_argument(train_name)};
    for (const std::filesystem::path& text : texts) {
        // The page written over a text would be a save of it, and so on without end.
        if (settings.page_file && same_file(*settings.page_file, text)) {
            throw usage_error("la pagina -o non può essere uno dei testi: " +
                              display_path(*settings.page_file));
        }
    }
    // Watching starts before the first compile reads the texts: a save made while it runs is
    // seen by the first wait.
    platform::file_watcher watcher(texts);

    live_pages live;  // outlives the server, whose thread reads it
    const loopback_server server = open_server(settings.port, live);
    io.out << "pagina dal vivo: " << server.address() << '\n'
           << "in attesa dei salvataggi di " << line_name << " e " << train_name
           << " (Ctrl+C per finire)\n";

    for (std::uint64_t round = 1;; ++round) {
        const int status = compile_round(request, settings, round, live, io);
        io.out.flush();
        io.err.flush();
        if (!io.out) return output_failure(io);
        require_serving(server);
        std::error_code ec;
        if (!std::filesystem::is_directory(request.dir, ec)) {
            // The watcher no longer sees the folder: no save can come any more.
            throw tool_failure("la cartella " + display_path(request.dir) +
                               " non c'è più: fine dell'osservazione");
        }
        if (round == settings.rounds) return status;
        wait_for_save(watcher, server);
    }
}

}  // namespace scenario::tool
