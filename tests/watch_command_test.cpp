// `scenario-tool watch` run in-process on a thread of its own, the way its main runs it, with
// --compiles so that it ends by itself: each save of a text is a new compile that reaches
// the loopback server ("versione", "dati", the live page), the page file and, with --out, the
// binary set; a text that is missing or half-written at a save is reported and the watch goes
// on; the server gives out nothing but its three paths, keeps giving them out to the page while a
// crowd of connections holds on to it, and a server that stops ends the watch.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <ostream>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "app/run_tool.h"
#include "base/scenario_files.h"
#include "descriptor_limit.h"
#include "http/loopback_server.h"
#include "loopback_client.h"
#include "platform/sockets.h"
#include "testkit/test_support.h"

namespace scenario {
namespace {

using namespace std::chrono_literals;
using json = nlohmann::json;
using testing::file_names;
using testing::http_reply;
using testing::loopback_get;
using testing::read_bytes;
using testing::scratch_directory;
using testing::write_bytes;

// Generous: a compile of these texts takes milliseconds, a loaded CI machine may take seconds.
constexpr auto k_patience = 20s;

std::string line_text(int route_metres) {
    return "[generale]\r\nlunghezza percorso, " + std::to_string(route_metres) + "\r\n[fine]\r\n";
}

std::string train_text(const std::string& station) {
    return "[generale]\r\nvelocita, 0, 60\r\n"
           "stazione, 1000, 27, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 30, 0, " +
           station + "\r\n[fine]\r\n";
}

// What several threads write into and the test reads while they go on.
class shared_text : public std::streambuf {
   public:
    std::string text() const {
        const std::lock_guard<std::mutex> hold(mutex_);
        return text_;
    }

   protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const std::lock_guard<std::mutex> hold(mutex_);
        text_ += traits_type::to_char_type(c);
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        const std::lock_guard<std::mutex> hold(mutex_);
        text_.append(s, static_cast<std::size_t>(n));
        return n;
    }

   private:
    mutable std::mutex mutex_;
    std::string text_;
};

bool eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + k_patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// A path as the tool takes it in a word: UTF-8.
std::string word_of(const std::filesystem::path& p) {
    const std::u8string text = p.u8string();
    return std::string(text.begin(), text.end());
}

// A scenario folder with the two texts of a route "L" and a train "T".
struct scenario_folder {
    scratch_directory scratch;
    std::filesystem::path dir = scratch.path() / path_from_utf8("testi ò");
    std::filesystem::path line = dir / "L_linea.txt";
    std::filesystem::path train = dir / "L_T-.txt";

    scenario_folder() {
        std::filesystem::create_directories(dir);
        write_bytes(line, line_text(5000));
        write_bytes(train, train_text("Alfa"));
    }
    std::string word() const { return word_of(dir); }
};

// scenario-tool watch on its own thread, its output readable while it runs.
class watch_run {
   public:
    watch_run(const scenario_folder& folder, std::vector<std::string> options) : folder_(folder) {
        std::vector<std::string> words = {"watch", folder.word(), "--line", "L", "--train", "T"};
        words.insert(words.end(), options.begin(), options.end());
        thread_ = std::thread([this, words] {
            status_ = tool::run_tool(words, {out_stream_, err_stream_});
            done_ = true;
        });
    }

    // A test that stops early leaves the tool waiting for saves: it is given some until it ends
    // (or until the test's time limit, when it never does).
    ~watch_run() { finish(); }

    std::string out() const { return out_.text(); }
    std::string err() const { return err_.text(); }

    // The port of the address the tool printed; 0 when it printed none.
    std::uint16_t port() {
        const std::string prefix = "pagina dal vivo: http://127.0.0.1:";
        if (!eventually([&] { return out().find(prefix) != std::string::npos || done_; })) return 0;
        const std::string text = out();
        const std::size_t at = text.find(prefix);
        if (at == std::string::npos) return 0;
        return static_cast<std::uint16_t>(std::stoul(text.substr(at + prefix.size())));
    }

    // The tool's exit status once it has ended.
    int finish() {
        while (!done_) {
            std::error_code ec;
            if (std::filesystem::is_directory(folder_.dir, ec)) {
                write_bytes(folder_.line, read_or(folder_.line, line_text(5000)));
            }
            for (int i = 0; i < 25 && !done_; ++i) std::this_thread::sleep_for(20ms);
        }
        if (thread_.joinable()) thread_.join();
        return status_;
    }

   private:
    static std::string read_or(const std::filesystem::path& file, const std::string& otherwise) {
        std::error_code ec;
        return std::filesystem::exists(file, ec) ? read_bytes(file) : otherwise;
    }

    const scenario_folder& folder_;
    shared_text out_, err_;
    std::ostream out_stream_{&out_}, err_stream_{&err_};
    std::atomic<bool> done_{false};
    int status_ = -1;
    std::thread thread_;
};

// "versione" as the server gives it; empty when no server answers.
std::string version(std::uint16_t port) {
    try {
        const http_reply reply = loopback_get(port, "/versione");
        return reply.status == 200 ? reply.body : std::string();
    } catch (const platform::network_error&) {
        return std::string();
    }
}

bool version_becomes(std::uint16_t port, const std::string& wanted) {
    return eventually([&] { return version(port) == wanted; });
}

json served_data(std::uint16_t port) {
    const http_reply reply = loopback_get(port, "/dati");
    EXPECT_EQ(reply.status, 200);
    return json::parse(reply.body, nullptr, false);
}

// The data a page carries in its script element.
json page_data(const std::string& page) {
    const std::string open = "<script type=\"application/json\" id=\"dati\">";
    const std::size_t from = page.find(open);
    const std::size_t to = page.find("</script>", from);
    if (from == std::string::npos || to == std::string::npos) return json();
    return json::parse(page.substr(from + open.size(), to - from - open.size()), nullptr, false);
}

std::vector<std::string> station_names(const json& data) {
    std::vector<std::string> names;
    for (const json& station : data.at("stazioni")) names.push_back(station.at("nome"));
    return names;
}

TEST(WatchCommand, EachSaveReachesTheServerAndThePageFile) {
    scenario_folder folder;
    const std::filesystem::path page = folder.dir / "pagina.html";
    // One compile more than the test makes: the server stays up for the checks of the last.
    watch_run run(folder, {"-o", word_of(page), "--compiles", "4"});
    const std::uint16_t port = run.port();
    ASSERT_NE(port, 0) << run.out() << run.err();
    ASSERT_TRUE(version_becomes(port, "1")) << run.out() << run.err();
    EXPECT_EQ(served_data(port).at("percorso"), 5000);

    const http_reply live = loopback_get(port, "/");
    EXPECT_EQ(live.status, 200);
    EXPECT_EQ(live.header("Content-Type"), "text/html; charset=utf-8");
    EXPECT_NE(live.body.find("data-live=\"1\""), std::string::npos);
    EXPECT_EQ(page_data(live.body).at("percorso"), 5000);

    // Each save, of either text, is one more compile that both the server and the file show.
    write_bytes(folder.line, line_text(6000));
    ASSERT_TRUE(version_becomes(port, "2")) << run.out() << run.err();
    EXPECT_EQ(served_data(port).at("percorso"), 6000);
    // The page file is written before the number changes.
    EXPECT_EQ(page_data(read_bytes(page)).at("percorso"), 6000);
    write_bytes(folder.train, train_text("Beta"));
    ASSERT_TRUE(version_becomes(port, "3")) << run.out() << run.err();
    EXPECT_EQ(station_names(served_data(port)), std::vector<std::string>{"Beta"});

    EXPECT_EQ(run.finish(), k_exit_ok) << run.err();
    const std::string written = read_bytes(page);
    EXPECT_NE(written.find("data-live=\"0\""), std::string::npos);
    EXPECT_EQ(written.find("data-live=\"1\""), std::string::npos);
    const json data = page_data(written);
    EXPECT_EQ(data.at("percorso"), 6000);
    EXPECT_EQ(station_names(data), std::vector<std::string>{"Beta"});
    // Without --out no binary file is written.
    EXPECT_EQ(file_names(folder.dir),
              (std::vector<std::string>{"L_T-.txt", "L_linea.txt", "pagina.html"}));

    const std::string out = run.out();
    for (const char* expected : {"compilazione 1 (", "compilazione 2 (", "compilazione 3 (",
                                 "percorso di 5000 m", "percorso di 6000 m", "scritto: "}) {
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
    }
    EXPECT_EQ(run.err(), "");
}

TEST(WatchCommand, OutWritesTheBinarySetAtEachCompile) {
    scenario_folder folder;
    const std::filesystem::path out_dir = folder.scratch.path() / "uscita";
    const std::filesystem::path cells = out_dir / "L_T.dat";
    watch_run run(folder, {"--out", word_of(out_dir), "--compiles", "2"});
    const std::uint16_t port = run.port();
    ASSERT_NE(port, 0) << run.out() << run.err();
    ASSERT_TRUE(version_becomes(port, "1")) << run.out() << run.err();
    EXPECT_EQ(file_names(out_dir), (std::vector<std::string>{"L_T.dat", "L_T.sim", "L_linea.dat"}));
    // 15 bytes a cell, one cell every 50 m of the route and its 7000 m run-off, and the last.
    EXPECT_EQ(std::filesystem::file_size(cells), 15u * ((5000 + 7000) / 50 + 1));
    write_bytes(folder.line, line_text(6000));
    EXPECT_EQ(run.finish(), k_exit_ok) << run.err();
    EXPECT_EQ(std::filesystem::file_size(cells), 15u * ((6000 + 7000) / 50 + 1));
    EXPECT_EQ(file_names(folder.dir), (std::vector<std::string>{"L_T-.txt", "L_linea.txt"}));
}

TEST(WatchCommand, TheServerGivesOutOnlyItsThreePaths) {
    scenario_folder folder;
    watch_run run(folder, {"-o", word_of(folder.dir / "pagina.html"), "--compiles", "2"});
    const std::uint16_t port = run.port();
    ASSERT_NE(port, 0) << run.out() << run.err();
    ASSERT_TRUE(version_becomes(port, "1")) << run.out() << run.err();

    struct served_case {
        const char* target;
        int status;
        const char* type;
    };
    const served_case cases[] = {
        {"/", 200, "text/html; charset=utf-8"},
        {"/index.html", 200, "text/html; charset=utf-8"},
        {"/versione", 200, "text/plain; charset=utf-8"},
        {"/versione?t=17", 200, "text/plain; charset=utf-8"},
        {"/dati", 200, "application/json; charset=utf-8"},
        {"/etc/passwd", 404, "text/plain; charset=utf-8"},
        {"/../x", 404, "text/plain; charset=utf-8"},
        {"/dati/../x", 404, "text/plain; charset=utf-8"},
        {"/dati/../versione", 404, "text/plain; charset=utf-8"},
        {"/%64ati", 404, "text/plain; charset=utf-8"},
        {"/DATI", 404, "text/plain; charset=utf-8"},
        {"/dati/", 404, "text/plain; charset=utf-8"},
        {"//", 404, "text/plain; charset=utf-8"},
        {"/index.htm", 404, "text/plain; charset=utf-8"},
        {"/favicon.ico", 404, "text/plain; charset=utf-8"},
        {"/L_linea.txt", 404, "text/plain; charset=utf-8"},
        {"/pagina.html", 404, "text/plain; charset=utf-8"},
    };
    for (const served_case& c : cases) {
        SCOPED_TRACE(c.target);
        const http_reply reply = loopback_get(port, c.target);
        EXPECT_EQ(reply.status, c.status);
        EXPECT_EQ(reply.header("Content-Type"), c.type);
        if (c.status == 404) {
            EXPECT_EQ(reply.body.find("lunghezza percorso"), std::string::npos);
            EXPECT_EQ(reply.body.find("root:"), std::string::npos);
            EXPECT_EQ(reply.body.find("percorso"), std::string::npos);
        }
    }
    EXPECT_EQ(version(port), "1");
}

TEST(WatchCommand, AMissingOrHalfWrittenTextIsReportedAndTheWatchGoesOn) {
    scenario_folder folder;
    std::filesystem::remove(folder.train);
    watch_run run(folder, {"--compiles", "5"});
    const std::uint16_t port = run.port();
    ASSERT_NE(port, 0) << run.out() << run.err();

    // Compile 1: no train text. Until a compile succeeds, "/" is a page that asks again.
    ASSERT_TRUE(eventually([&] {
        return run.err().find("testo del treno non trovato") != std::string::npos;
    })) << run.err();
    EXPECT_TRUE(eventually([&] {
        return run.err().find("la pagina dal vivo attende la prima compilazione riuscita") !=
               std::string::npos;
    })) << run.err();
    EXPECT_EQ(version(port), "0");
    EXPECT_EQ(loopback_get(port, "/dati").status, 404);
    const http_reply waiting = loopback_get(port, "/");
    EXPECT_EQ(waiting.status, 200);
    EXPECT_NE(waiting.body.find("http-equiv=\"refresh\""), std::string::npos);
    EXPECT_EQ(waiting.body.find("<script"), std::string::npos);
    // An icon of its own, so that the browser asks for no /favicon.ico, which is not served.
    EXPECT_NE(waiting.body.find("<link rel=\"icon\" href=\"data:,\">"), std::string::npos);

    // Compile 2: the text is there.
    write_bytes(folder.train, train_text("Alfa"));
    ASSERT_TRUE(version_becomes(port, "2")) << run.out() << run.err();

    // Compile 3: the line text is gone; the page keeps compile 2.
    std::filesystem::remove(folder.line);
    ASSERT_TRUE(eventually([&] {
        return run.err().find("testo della linea non trovato") != std::string::npos;
    })) << run.err();
    ASSERT_TRUE(eventually([&] { return run.out().find("compilazione 3") != std::string::npos; }));
    EXPECT_EQ(version(port), "2");
    EXPECT_EQ(served_data(port).at("percorso"), 5000);
    EXPECT_TRUE(eventually([&] {
        return run.err().find("la pagina dal vivo resta all'ultima compilazione riuscita") !=
               std::string::npos;
    })) << run.err();

    // Compile 4: the line text cut in the middle of a record compiles with its fault.
    write_bytes(folder.line, "[generale]\r\nlunghezza perc");
    ASSERT_TRUE(version_becomes(port, "4")) << run.out() << run.err();
    EXPECT_EQ(run.finish(), k_exit_fault_recorded);
    EXPECT_NE(run.err().find("L_linea.txt:2:1: errore 25"), std::string::npos) << run.err();
}

TEST(WatchCommand, TheFolderRemovedEndsTheWatch) {
#ifdef _WIN32
    // Under wine a folder removed by the process that watches it is never reported to the
    // watcher (removed by another process, it is, and the watch ends there too).
    GTEST_SKIP() << "wine does not report a folder removed by the watching process";
#endif
    scenario_folder folder;
    watch_run run(folder, {});
    const std::uint16_t port = run.port();
    ASSERT_NE(port, 0) << run.out() << run.err();
    ASSERT_TRUE(version_becomes(port, "1")) << run.out() << run.err();
    std::filesystem::remove_all(folder.dir);
    EXPECT_EQ(run.finish(), k_exit_failure);
    EXPECT_NE(run.err().find("non c'è più"), std::string::npos) << run.err();
}

TEST(WatchCommand, ACrowdOfIdleAndTricklingConnectionsNeverHoldsUpTheLivePage) {
    scenario_folder folder;
    watch_run run(folder, {"--compiles", "2"});
    const std::uint16_t port = run.port();
    ASSERT_NE(port, 0) << run.out() << run.err();
    ASSERT_TRUE(version_becomes(port, "1")) << run.out() << run.err();

    // 25 connections that send nothing and 5 that send a byte a second, opened again whenever
    // the server closes one; what the page asks for comes within a second each time, while
    // their heads are young, while the server cuts them off, and after.
    const testing::connection_crowd crowd(port, 25, 5);
    for (int probe = 0; probe < 4; ++probe) {
        SCOPED_TRACE("probe " + std::to_string(probe));
        for (const char* target : {"/versione", "/"}) {
            SCOPED_TRACE(target);
            const auto start = std::chrono::steady_clock::now();
            const http_reply reply = loopback_get(port, target, 5s);
            EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
            EXPECT_EQ(reply.status, 200);
            if (std::string(target) == "/versione") {
                EXPECT_EQ(reply.body, "1");
            } else {
                EXPECT_NE(reply.body.find("data-live=\"1\""), std::string::npos);
            }
        }
        std::this_thread::sleep_for(800ms);
    }
    EXPECT_GT(crowd.closed_by_server(), 0u);
    EXPECT_EQ(run.finish(), k_exit_ok) << run.err();
}

// Linux only, and not under the sanitizers: their check of an object's dynamic type opens a
// pipe, which a process out of descriptors cannot, and so fails on any exception thrown there.
#if !defined(_WIN32) && !defined(SCENARIO_SANITIZED)
TEST(WatchCommand, AServerThatStopsServingEndsTheWatchWithOneReport) {
    scenario_folder folder;
    watch_run run(folder, {});
    const std::uint16_t port = run.port();
    ASSERT_NE(port, 0) << run.out() << run.err();
    ASSERT_TRUE(version_becomes(port, "1")) << run.out() << run.err();
    const std::string failure = "pagina dal vivo non più disponibile (cannot wait on sockets: ";
    {
        // Fewer descriptors allowed than the server waits on: its next wait fails (EINVAL),
        // while the watch's own wait, on one descriptor, goes on.
        const testing::descriptor_limit limit(1);
        EXPECT_TRUE(eventually([&] { return run.err().find(failure) != std::string::npos; }))
            << run.err();
    }
    EXPECT_EQ(run.finish(), k_exit_failure);
    const std::string err = run.err();
    EXPECT_NE(err.find("scenario-tool: errore: " + failure), std::string::npos) << err;
    EXPECT_EQ(err.find(failure), err.rfind(failure)) << err;
    EXPECT_NE(err.find("fine dell'osservazione"), std::string::npos) << err;
}
#endif

TEST(WatchCommand, ACommandLineItCannotServeEndsAtOnce) {
    scenario_folder folder;
    const tool::loopback_server taken(
        0, [](const tool::http_request&) { return tool::http_response{}; });
    struct refused_case {
        std::vector<std::string> options;  // the last is the trace's name
        const char* message;
        bool usage;
    };
    const refused_case cases[] = {
        {{"--compiles", "1", "--port", "abc"},
         "l'opzione --port vuole un numero intero da 0 a 65535: abc",
         true},
        {{"--compiles", "1", "--port", "65536"},
         "vuole un numero intero da 0 a 65535: 65536",
         true},
        {{"--compiles", "1", "--port", "-1"}, "vuole un numero intero da 0 a 65535: -1", true},
        {{"--compiles", "1", "--port", ""}, "vuole un numero intero da 0 a 65535: \n", true},
        {{"--compiles", "1", "--port", "80x"},
         "vuole un numero intero da 0 a 65535: 80x",
         true},
        {{"--compiles", "0"}, "--compiles vuole un numero intero da 1 a", true},
        {{"--compiles", "2 "}, "--compiles vuole un numero intero da 1 a", true},
        {{"--compiles", "1", "--dal-vivo"}, "opzione sconosciuta: --dal-vivo", true},
        {{"--compiles", "1", "-o", word_of(folder.train)},
         "la pagina -o non può essere uno dei testi",
         true},
        {{"--compiles", "1", "-o",
          word_of(folder.dir / ".." / folder.dir.filename() / "L_linea.txt")},
         "la pagina -o non può essere uno dei testi",
         true},
        {{"--compiles", "1", "--port", std::to_string(taken.port())},
         "pagina dal vivo non disponibile",
         false},
    };
    for (const refused_case& c : cases) {
        std::vector<std::string> words = {"watch", folder.word(), "--line", "L", "--train", "T"};
        words.insert(words.end(), c.options.begin(), c.options.end());
        SCOPED_TRACE(words.back());
        std::ostringstream out, err;
        EXPECT_EQ(tool::run_tool(words, {out, err}), k_exit_failure);
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
        EXPECT_EQ(err.str().find("uso: scenario-tool") != std::string::npos, c.usage);
        EXPECT_EQ(out.str().find("compilazione"), std::string::npos);
    }
    EXPECT_EQ(read_bytes(folder.train), train_text("Alfa"));
    EXPECT_EQ(read_bytes(folder.line), line_text(5000));

    std::ostringstream out, err;
    const std::vector<std::string> no_folder = {
        "watch", word_of(folder.dir / "manca"), "--line", "L", "--train", "T"};
    EXPECT_EQ(tool::run_tool(no_folder, {out, err}), k_exit_failure);
    EXPECT_NE(err.str().find("cartella non trovata"), std::string::npos) << err.str();
}

}  // namespace
}  // namespace scenario
