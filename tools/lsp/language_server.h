// The language server's state and its answers, as pure code: messages in, messages out, the
// time given by the caller. The texts the editor holds, which scenario each belongs to, the
// compiles that wait for the changes to settle, and what was last published. The loop around
// it (lsp_command.cpp) reads the frames, keeps the clock and writes the answers.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/json.h"
#include "lsp/editor_text.h"
#include "lsp/message_framing.h"
#include "lsp/text_features.h"

namespace scenario::tool {

struct compiled_scenario;

class language_server {
   public:
    using clock = std::chrono::steady_clock;

    struct options {
        // How long the texts must stay unchanged before they are compiled again.
        std::chrono::milliseconds debounce{30};
    };

    language_server();
    explicit language_server(options settings);
    ~language_server();

    // A frame as it came: a message, or the error answer for what could not be one.
    void receive(const frame& incoming, std::vector<json>& out, clock::time_point now);
    // Messages in the order they came. A `$/cancelRequest` among them reaches the requests
    // before it that are still unanswered.
    void receive(std::vector<json> batch, std::vector<json>& out, clock::time_point now);

    // When the waiting compiles are due; nothing when none waits.
    std::optional<clock::time_point> compile_due() const;
    // Compiles every scenario waiting and publishes what it found. `superseded` is asked before
    // publishing: when a newer change has come meanwhile, the results are dropped and the
    // compile waits for that change.
    void compile_waiting(std::vector<json>& out, const std::function<bool()>& superseded = {});

    bool exited() const { return exited_; }
    // 0 when `shutdown` came before `exit` (or the end of the input), 1 otherwise.
    int exit_status() const { return shutdown_ ? 0 : 1; }

   private:
    struct document {
        std::string uri;
        std::int64_t version = 0;
        editor_text text;
    };
    // What one text was last compiled to.
    struct text_result {
        description_text kind = description_text::line;
        std::shared_ptr<const compiled_scenario> compile;
        std::shared_ptr<const compile_features> features;
        editor_text text;  // the text as compiled
    };

    void handle(const json& message, const std::set<std::string>& cancelled,
                std::vector<json>& out, clock::time_point now);
    json answer(const std::string& method, const json& params, std::vector<json>& out);
    json initialize(const json& params);
    void notify(const std::string& method, const json& params, std::vector<json>& out,
                clock::time_point now);

    void open(const json& params, clock::time_point now);
    void change(const json& params, clock::time_point now);
    void close(const json& params, std::vector<json>& out, clock::time_point now);
    void schedule(const std::filesystem::path& text, clock::time_point now);

    // The line text (or, for a train text whose line is nowhere, the train text) that stands
    // for a text's scenario.
    std::filesystem::path scenario_key(const std::filesystem::path& text) const;
    std::set<std::string> line_names(const std::filesystem::path& folder) const;
    void compile_scenario(const std::filesystem::path& key, std::map<std::string, json>& lists,
                          std::map<std::filesystem::path, text_result>& results);
    std::string uri_for(const std::filesystem::path& text) const;
    std::optional<std::string> current_text(const std::filesystem::path& text) const;
    void publish(const std::filesystem::path& text, json diagnostics, std::vector<json>& out);

    // The text a request names, compiled as it stands now.
    const text_result* result_for(const json& params, std::vector<json>& out);
    text_view view_of(const text_result& result) const;

    options settings_;
    bool initialized_ = false;
    bool shutdown_ = false;
    bool exited_ = false;
    position_encoding encoding_ = position_encoding::utf16;
    bool related_information_ = false;
    bool hierarchical_symbols_ = false;
    bool snippets_ = false;
    bool markdown_ = true;

    std::map<std::filesystem::path, document> documents_;
    std::map<std::filesystem::path, text_result> results_;
    // The texts with diagnostics published, under the URI they went to.
    std::map<std::filesystem::path, std::string> published_;
    std::set<std::filesystem::path> waiting_;
    std::optional<clock::time_point> due_;
};

}  // namespace scenario::tool
