#include "lsp/lsp_command.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "base/exit_status.h"
#include "lsp/json_rpc.h"
#include "lsp/message_framing.h"
#include "platform/standard_streams.h"

namespace scenario::tool {
namespace {

// What the reading thread hands over; shared with it, so that the thread may outlive the loop
// (it waits in a read that only the end of the input ends).
struct inbox {
    std::mutex lock;
    std::condition_variable arrived;
    std::deque<frame> frames;
    bool ended = false;
    bool failed = false;
};

void read_frames(std::shared_ptr<inbox> box, std::function<std::size_t(char*, std::size_t)> read) {
    message_framer framer;
    std::string buffer(std::size_t{1} << 16, '\0');
    bool failed = false;
    for (;;) {
        std::size_t n = 0;
        try {
            n = read(buffer.data(), buffer.size());
        } catch (const std::exception&) {
            failed = true;
        }
        if (n == 0) break;
        framer.feed(std::string_view(buffer.data(), n));
        std::deque<frame> whole;
        while (std::optional<frame> f = framer.next()) whole.push_back(std::move(*f));
        if (whole.empty()) continue;
        const std::lock_guard<std::mutex> hold(box->lock);
        for (frame& f : whole) box->frames.push_back(std::move(f));
        box->arrived.notify_one();
    }
    const std::lock_guard<std::mutex> hold(box->lock);
    box->ended = true;
    box->failed = failed;
    box->arrived.notify_one();
}

bool is_change(const frame& f) {
    return f.what == frame::kind::body &&
           f.body.find("textDocument/didChange") != std::string::npos;
}

}  // namespace

int serve_language(server_channel channel, language_server::options settings,
                   std::ostream& log) {
    auto box = std::make_shared<inbox>();
    std::thread(read_frames, box, std::move(channel.read)).detach();
    language_server server(settings);
    std::vector<json> out;
    const auto send = [&] {
        for (const json& message : out) {
            if (!channel.write(framed(rpc::serialized(message)))) return false;
        }
        out.clear();
        return true;
    };
    for (;;) {
        std::deque<frame> frames;
        bool ended = false;
        bool failed = false;
        {
            std::unique_lock<std::mutex> hold(box->lock);
            const auto ready = [&] { return !box->frames.empty() || box->ended; };
            if (const auto due = server.compile_due()) {
                box->arrived.wait_until(hold, *due, ready);
            } else {
                box->arrived.wait(hold, ready);
            }
            frames.swap(box->frames);
            ended = box->ended;
            failed = box->failed;
        }
        // Messages in their order; those that parse go together, so that a cancel reaches the
        // requests before it.
        std::vector<json> batch;
        const auto flush_batch = [&] {
            if (!batch.empty()) server.receive(std::move(batch), out, language_server::clock::now());
            batch.clear();
        };
        for (const frame& f : frames) {
            json message = f.what == frame::kind::body ? json::parse(f.body, nullptr, false)
                                                       : json(json::value_t::discarded);
            if (message.is_discarded()) {
                flush_batch();
                server.receive(f, out, language_server::clock::now());
            } else {
                batch.push_back(std::move(message));
            }
        }
        flush_batch();
        if (!send()) return k_exit_failure;
        if (server.exited()) return server.exit_status();
        if (const auto due = server.compile_due();
            due && *due <= language_server::clock::now()) {
            try {
                server.compile_waiting(out, [&] {
                    const std::lock_guard<std::mutex> hold(box->lock);
                    for (const frame& f : box->frames) {
                        if (is_change(f)) return true;
                    }
                    return false;
                });
            } catch (const std::exception& e) {
                log << "scenario-tool lsp: compilazione non riuscita: " << e.what() << std::endl;
            }
            if (!send()) return k_exit_failure;
        }
        if (ended && frames.empty()) {
            if (failed) return k_exit_failure;
            // Nothing more will come: what still waits is not compiled for nobody.
            return server.exit_status();
        }
    }
}

int lsp_command(arguments args, streams io) {
    if (!args.empty()) throw usage_error("lsp non vuole argomenti");
    server_channel channel{platform::read_standard_input, platform::write_standard_output};
    return serve_language(std::move(channel), language_server::options{}, io.err);
}

}  // namespace scenario::tool
