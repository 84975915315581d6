// How long an author waits in the editor: `scenario-tool lsp` as a process of its own, spoken
// to over pipes as an editor does, with a synthetic scenario's two texts open. Each edit changes
// one character of the train text; the time runs from writing the change notification to reading
// the diagnostics published for that version, so the debounce and the whole compile are in it.
#include "lsp_latency.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "base/windows1252.h"
#include "bench_support.h"
#include "testkit/synthetic_scenario.h"
#include "testkit/test_support.h"

namespace scenario::bench {
namespace {

using clock = std::chrono::steady_clock;

// A JSON string of a UTF-8 text.
std::string json_string(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += c;
        }
    }
    return out + "\"";
}

std::string uri_of(const std::filesystem::path& file) {
    std::string uri = "file://";
    for (const char ch : file.string()) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.') {
            uri += ch;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            uri += hex;
        }
    }
    return uri;
}

class server_process {
   public:
    explicit server_process(const std::string& tool) {
        int in[2];
        int out[2];
        if (pipe(in) != 0 || pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 2);
            close(in[1]);
            close(out[0]);
            execl(tool.c_str(), tool.c_str(), "lsp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        to_ = in[1];
        from_ = out[0];
    }
    ~server_process() {
        if (to_ >= 0) close(to_);
        if (from_ >= 0) close(from_);
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool started() const { return pid_ > 0; }

    bool send(const std::string& body) {
        std::string bytes = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
        std::string_view rest = bytes;
        while (!rest.empty()) {
            const ssize_t n = write(to_, rest.data(), rest.size());
            if (n <= 0) return false;
            rest.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }

    // The next message's body; empty when the server has gone.
    std::string receive() {
        for (;;) {
            const std::size_t end = buffer_.find("\r\n\r\n");
            if (end != std::string::npos) {
                const std::size_t length = std::stoul(buffer_.substr(buffer_.find(':') + 1, end));
                if (buffer_.size() >= end + 4 + length) {
                    std::string body = buffer_.substr(end + 4, length);
                    buffer_.erase(0, end + 4 + length);
                    return body;
                }
            }
            char chunk[1 << 16];
            const ssize_t n = read(from_, chunk, sizeof chunk);
            if (n <= 0) return {};
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }

    // Reads until a body holds every one of the words.
    bool wait_for(std::initializer_list<std::string_view> words) {
        for (;;) {
            const std::string body = receive();
            if (body.empty()) return false;
            if (std::all_of(words.begin(), words.end(), [&](std::string_view w) {
                    return body.find(w) != std::string::npos;
                })) {
                return true;
            }
        }
    }

   private:
    pid_t pid_ = -1;
    int to_ = -1;
    int from_ = -1;
    std::string buffer_;
};

}  // namespace

std::optional<lsp_latency> measure_lsp_latency(const synthetic_size& size, int edits) {
    const synthetic_texts texts = make_synthetic_scenario(size);
    scratch_directory dir;
    const std::filesystem::path line = dir.path() / "Bench_linea.txt";
    const std::filesystem::path train = dir.path() / "Bench_T1-.txt";
    testing::write_bytes(line, texts.line);
    testing::write_bytes(train, texts.train);
    std::string train_text = from_windows1252(texts.train);
    // The edit: the first speed limit's value, 5 km/h up and back.
    const std::size_t record = train_text.find("velocita");
    const std::size_t line_end = train_text.find('\r', record);
    if (record == std::string::npos || line_end == std::string::npos) return std::nullopt;
    std::size_t digit = line_end;
    while (digit > record && !std::isdigit(static_cast<unsigned char>(train_text[digit - 1]))) {
        --digit;
    }
    --digit;  // the last digit of the limit
    std::size_t line_number = 0;
    for (std::size_t i = 0; i < digit; ++i) line_number += train_text[i] == '\n' ? 1 : 0;
    const std::size_t column = digit - (train_text.rfind('\n', digit) + 1);

    server_process server(SCENARIO_TOOL_PATH);
    if (!server.started()) return std::nullopt;
    const std::string train_uri = uri_of(train);
    bool ok =
        server.send(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}})") &&
        server.wait_for({"\"id\":1"}) &&
        server.send(R"({"jsonrpc":"2.0","method":"initialized","params":{}})");
    for (const auto& [file, text] : {std::pair{line, from_windows1252(texts.line)},
                                     std::pair{train, train_text}}) {
        ok = ok && server.send(R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":")" +
                               uri_of(file) + R"(","languageId":"x","version":1,"text":)" +
                               json_string(text) + "}}}");
    }
    ok = ok && server.wait_for({"publishDiagnostics", train_uri, "\"version\":1"});
    if (!ok) return std::nullopt;

    std::vector<double> times;
    for (int v = 2; v < edits + 2; ++v) {
        const char was = train_text[digit];
        const char now = was == '0' ? '5' : '0';
        train_text[digit] = now;
        const std::string change =
            R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":")" +
            train_uri + R"(","version":)" + std::to_string(v) +
            R"(},"contentChanges":[{"range":{"start":{"line":)" + std::to_string(line_number) +
            R"(,"character":)" + std::to_string(column) + R"(},"end":{"line":)" +
            std::to_string(line_number) + R"(,"character":)" + std::to_string(column + 1) +
            R"(}},"text":")" + std::string(1, now) + R"("}]}})";
        const clock::time_point start = clock::now();
        if (!server.send(change)) return std::nullopt;
        const std::string version = "\"version\":" + std::to_string(v) + ",";
        if (!server.wait_for({"publishDiagnostics", train_uri, version})) return std::nullopt;
        times.push_back(std::chrono::duration<double, std::milli>(clock::now() - start).count());
        // The author pauses between edits: each one settles on its own.
        std::this_thread::sleep_for(std::chrono::milliseconds(120));
    }
    server.send(R"({"jsonrpc":"2.0","id":9,"method":"shutdown"})");
    server.send(R"({"jsonrpc":"2.0","method":"exit"})");
    std::sort(times.begin(), times.end());
    lsp_latency result;
    result.median_ms = times[times.size() / 2];
    result.worst_ms = times.back();
    result.edits = static_cast<int>(times.size());
    result.route_km = size.route_length / 1000;
    return result;
}

}  // namespace scenario::bench
