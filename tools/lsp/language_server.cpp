#include "lsp/language_server.h"

#include <algorithm>
#include <system_error>

#include "base/scenario_files.h"
#include "base/windows1252.h"
#include "cli/command_line.h"
#include "lsp/json_rpc.h"
#include "lsp/workspace.h"
#include "report/compile_report.h"
#include "session/compile_session.h"
#include "session/scenario_request.h"

namespace scenario::tool {
namespace {

constexpr int k_error = 1;
constexpr int k_warning = 2;
constexpr int k_information = 3;

// The protocol's error for params that are not what the method takes.
struct bad_params : std::runtime_error {
    using std::runtime_error::runtime_error;
};

const json& member(const json& object, const char* name) {
    static const json k_null;
    if (!object.is_object()) return k_null;
    const auto it = object.find(name);
    return it == object.end() ? k_null : *it;
}

std::string string_member(const json& object, const char* name) {
    const json& value = member(object, name);
    if (!value.is_string()) throw bad_params(std::string("manca \"") + name + "\"");
    return value.get<std::string>();
}

std::filesystem::path path_member(const json& params) {
    const std::string uri = string_member(member(params, "textDocument"), "uri");
    const std::optional<std::filesystem::path> path = path_of_uri(uri);
    if (!path) throw bad_params("non è un file: " + uri);
    return *path;
}

text_point point_member(const json& value) {
    const json& line = member(value, "line");
    const json& character = member(value, "character");
    if (!line.is_number_integer() || !character.is_number_integer()) {
        throw bad_params("posizione non valida");
    }
    return {line.get<std::int64_t>(), character.get<std::int64_t>()};
}

text_range range_member(const json& value) {
    return {point_member(member(value, "start")), point_member(member(value, "end"))};
}

bool flag(const json& capabilities, std::initializer_list<const char*> path) {
    const json* at = &capabilities;
    for (const char* name : path) at = &member(*at, name);
    return at->is_boolean() && at->get<bool>();
}

std::string key_of(const std::filesystem::path& path) { return display_path(path); }

// Diagnostics of one text, kept by place and words so that those of the line text, met again in
// the compile with each train, are published once.
struct diagnostic_list {
    json items = json::array();
    std::set<std::string> seen;

    void add(json diagnostic) {
        if (seen.insert(rpc::serialized(diagnostic)).second) items.push_back(std::move(diagnostic));
    }
};

}  // namespace

language_server::language_server() : language_server(options{}) {}
language_server::language_server(options settings) : settings_(settings) {}
language_server::~language_server() = default;

void language_server::receive(const frame& incoming, std::vector<json>& out,
                              clock::time_point now) {
    switch (incoming.what) {
        case frame::kind::bad_header:
            out.push_back(rpc::error_response(nullptr, rpc::parse_error,
                                              "intestazione senza Content-Length valido"));
            return;
        case frame::kind::too_large:
            out.push_back(rpc::error_response(nullptr, rpc::invalid_request,
                                              "messaggio troppo grande: al massimo 64 MiB"));
            return;
        case frame::kind::body:
            break;
    }
    json message = json::parse(incoming.body, nullptr, false);
    if (message.is_discarded()) {
        out.push_back(rpc::error_response(nullptr, rpc::parse_error, "JSON non valido"));
        return;
    }
    std::vector<json> batch;
    batch.push_back(std::move(message));
    receive(std::move(batch), out, now);
}

void language_server::receive(std::vector<json> batch, std::vector<json>& out,
                              clock::time_point now) {
    std::set<std::string> cancelled;
    for (const json& message : batch) {
        if (member(message, "method") != "$/cancelRequest") continue;
        const json& id = member(member(message, "params"), "id");
        if (id.is_string() || id.is_number_integer()) cancelled.insert(id.dump());
    }
    for (const json& message : batch) {
        if (exited_) return;
        handle(message, cancelled, out, now);
    }
}

void language_server::handle(const json& message, const std::set<std::string>& cancelled,
                             std::vector<json>& out, clock::time_point now) {
    const rpc::incoming in = rpc::classify(message);
    switch (in.what) {
        case rpc::incoming::kind::invalid:
            out.push_back(rpc::error_response(in.id, rpc::invalid_request,
                                              "non è una richiesta JSON-RPC 2.0"));
            return;
        case rpc::incoming::kind::response:
            return;
        case rpc::incoming::kind::notification:
            notify(in.method, in.params, out, now);
            return;
        case rpc::incoming::kind::request:
            break;
    }
    if (cancelled.count(in.id.dump()) != 0) {
        out.push_back(rpc::error_response(in.id, rpc::request_cancelled, "richiesta annullata"));
        return;
    }
    if (!initialized_ && in.method != "initialize") {
        out.push_back(rpc::error_response(in.id, rpc::server_not_initialized,
                                          "il server non è ancora inizializzato"));
        return;
    }
    if (shutdown_) {
        out.push_back(rpc::error_response(in.id, rpc::invalid_request,
                                          "il server è stato chiuso con shutdown"));
        return;
    }
    try {
        json result = answer(in.method, in.params, out);
        out.push_back(rpc::response(in.id, std::move(result)));
    } catch (const bad_params& e) {
        out.push_back(rpc::error_response(in.id, rpc::invalid_params, e.what()));
    } catch (const std::bad_alloc&) {
        out.push_back(rpc::error_response(in.id, rpc::internal_error, "memoria esaurita"));
    } catch (const rpc::error_code& code) {
        out.push_back(rpc::error_response(in.id, code,
                                          code == rpc::method_not_found
                                              ? "metodo sconosciuto: " + in.method
                                              : "richiesta non valida"));
    } catch (const std::exception& e) {
        out.push_back(rpc::error_response(in.id, rpc::internal_error, e.what()));
    }
}

json language_server::answer(const std::string& method, const json& params,
                             std::vector<json>& out) {
    if (method == "initialize") {
        if (initialized_) throw rpc::invalid_request;
        return initialize(params);
    }
    if (method == "shutdown") {
        shutdown_ = true;
        return nullptr;
    }
    if (method == "textDocument/hover") {
        const text_result* r = result_for(params, out);
        if (r == nullptr) return nullptr;
        return tool::hover(view_of(*r), point_member(member(params, "position")), markdown_);
    }
    if (method == "textDocument/documentSymbol") {
        const text_result* r = result_for(params, out);
        if (r == nullptr) return json::array();
        return document_symbols(view_of(*r), hierarchical_symbols_);
    }
    if (method == "textDocument/completion") {
        const text_result* r = result_for(params, out);
        if (r == nullptr) return nullptr;
        return completions(view_of(*r), point_member(member(params, "position")), snippets_);
    }
    if (method == "textDocument/codeAction") {
        const text_result* r = result_for(params, out);
        if (r == nullptr) return json::array();
        return code_actions(view_of(*r), range_member(member(params, "range")));
    }
    if (method == "textDocument/foldingRange") {
        const text_result* r = result_for(params, out);
        if (r == nullptr) return json::array();
        return folding_ranges(view_of(*r));
    }
    throw rpc::method_not_found;
}

json language_server::initialize(const json& params) {
    const json& capabilities = member(params, "capabilities");
    encoding_ = position_encoding::utf16;
    const json& offered = member(member(capabilities, "general"), "positionEncodings");
    if (offered.is_array()) {
        for (const json& name : offered) {
            if (name == "utf-8") {
                encoding_ = position_encoding::utf8;
            } else if (name == "utf-16") {
                encoding_ = position_encoding::utf16;
            } else if (name == "utf-32") {
                encoding_ = position_encoding::utf32;
            } else {
                continue;
            }
            break;
        }
    }
    const json& document = member(capabilities, "textDocument");
    related_information_ = flag(document, {"publishDiagnostics", "relatedInformation"});
    hierarchical_symbols_ =
        flag(document, {"documentSymbol", "hierarchicalDocumentSymbolSupport"});
    snippets_ = flag(document, {"completion", "completionItem", "snippetSupport"});
    const json& formats = member(member(document, "hover"), "contentFormat");
    markdown_ = !formats.is_array() || formats.empty() ||
                std::find(formats.begin(), formats.end(), "markdown") != formats.end();
    initialized_ = true;
    return {{"capabilities",
             {{"positionEncoding", encoding_name(encoding_)},
              {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
              {"hoverProvider", true},
              {"documentSymbolProvider", true},
              {"completionProvider", json::object()},
              {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}},
              {"foldingRangeProvider", true}}},
            {"serverInfo", {{"name", "scenario-tool"}, {"version", SCENARIO_VERSION}}}};
}

void language_server::notify(const std::string& method, const json& params,
                             std::vector<json>& out, clock::time_point now) {
    if (method == "exit") {
        exited_ = true;
        return;
    }
    if (!initialized_ || shutdown_) return;
    try {
        if (method == "textDocument/didOpen") {
            open(params, now);
        } else if (method == "textDocument/didChange") {
            change(params, now);
        } else if (method == "textDocument/didClose") {
            close(params, out, now);
        }
    } catch (const bad_params&) {
        // A notification has no answer: one that cannot be read is passed over.
    }
}

void language_server::open(const json& params, clock::time_point now) {
    const std::filesystem::path path = path_member(params);
    if (!name_of_text(path)) return;
    const json& item = member(params, "textDocument");
    document doc;
    doc.uri = string_member(item, "uri");
    const json& version = member(item, "version");
    doc.version = version.is_number_integer() ? version.get<std::int64_t>() : 0;
    doc.text = editor_text(string_member(item, "text"));
    documents_[path] = std::move(doc);
    schedule(path, now);
}

void language_server::change(const json& params, clock::time_point now) {
    const std::filesystem::path path = path_member(params);
    const auto it = documents_.find(path);
    if (it == documents_.end()) return;
    document& doc = it->second;
    const json& version = member(member(params, "textDocument"), "version");
    if (version.is_number_integer()) doc.version = version.get<std::int64_t>();
    const json& changes = member(params, "contentChanges");
    if (!changes.is_array()) throw bad_params("manca \"contentChanges\"");
    for (const json& c : changes) {
        const std::string text = string_member(c, "text");
        const json& range = member(c, "range");
        if (range.is_null()) {
            doc.text = editor_text(text);
            continue;
        }
        const text_range r = range_member(range);
        const std::size_t from = doc.text.offset_of(r.start, encoding_);
        const std::size_t to = doc.text.offset_of(r.end, encoding_);
        doc.text.replace(std::min(from, to), std::max(from, to), text);
    }
    schedule(path, now);
}

void language_server::close(const json& params, std::vector<json>& out, clock::time_point now) {
    const std::filesystem::path path = path_member(params);
    if (documents_.erase(path) == 0) return;
    const std::filesystem::path key = scenario_key(path);
    // The texts of the scenario still open, if any, are compiled again with this one as it
    // stands on disk; when none is, everything published for the scenario goes.
    bool others_open = false;
    for (const auto& [open_path, doc] : documents_) {
        if (scenario_key(open_path) == key) others_open = true;
    }
    results_.erase(path);
    publish(path, json::array(), out);
    if (others_open) {
        schedule(key, now);
        return;
    }
    for (auto it = published_.begin(); it != published_.end();) {
        const std::filesystem::path text = (it++)->first;
        if (scenario_key(text) != key) continue;
        results_.erase(text);
        publish(text, json::array(), out);
    }
    waiting_.erase(key);
}

void language_server::schedule(const std::filesystem::path& text, clock::time_point now) {
    waiting_.insert(scenario_key(text));
    // A line text newly opened may take train texts from a line of a shorter name.
    if (const auto name = name_of_text(text); name && name->kind == description_text::line) {
        for (const auto& [path, result] : results_) {
            if (path.parent_path() == text.parent_path() && path != text) {
                waiting_.insert(scenario_key(path));
            }
        }
    }
    due_ = now + settings_.debounce;
}

std::set<std::string> language_server::line_names(const std::filesystem::path& folder) const {
    std::set<std::string> lines = texts_on_disk(folder).lines;
    for (const auto& [path, doc] : documents_) {
        if (path.parent_path() != folder) continue;
        const auto name = name_of_text(path);
        if (name && name->kind == description_text::line) lines.insert(name->stem);
    }
    return lines;
}

std::filesystem::path language_server::scenario_key(const std::filesystem::path& text) const {
    const std::optional<text_name> name = name_of_text(text);
    if (!name || name->kind == description_text::line) return text;
    const std::optional<train_names> split = split_train(name->stem, line_names(name->folder));
    if (!split) return text;
    return name->folder /
           path_argument(scenario_file_name(split->line, split->train, file_kind::line_description));
}

std::optional<language_server::clock::time_point> language_server::compile_due() const {
    if (waiting_.empty()) return std::nullopt;
    return due_;
}

std::string language_server::uri_for(const std::filesystem::path& text) const {
    const auto it = documents_.find(text);
    return it != documents_.end() ? it->second.uri : uri_of_path(text);
}

std::optional<std::string> language_server::current_text(const std::filesystem::path& text) const {
    const auto it = documents_.find(text);
    if (it != documents_.end()) return as_saved(it->second.text.utf8()).bytes;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(text, ec)) return std::nullopt;
    try {
        return read_input_file(text);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void language_server::publish(const std::filesystem::path& text, json diagnostics,
                              std::vector<json>& out) {
    const std::string uri = uri_for(text);
    const auto before = published_.find(text);
    // Published before under another name for the same file: that one is cleared.
    if (before != published_.end() && before->second != uri) {
        out.push_back(rpc::notification(
            "textDocument/publishDiagnostics",
            {{"uri", before->second}, {"diagnostics", json::array()}}));
    }
    const bool empty = diagnostics.empty();
    if (empty && before == published_.end()) {
        // Nothing to clear: a text never published needs no empty list, unless it is open.
        if (documents_.count(text) == 0) return;
    }
    json params = {{"uri", uri}};
    if (const auto doc = documents_.find(text); doc != documents_.end()) {
        params["version"] = doc->second.version;
    }
    params["diagnostics"] = std::move(diagnostics);
    out.push_back(rpc::notification("textDocument/publishDiagnostics", std::move(params)));
    if (empty) {
        published_.erase(text);
    } else {
        published_[text] = uri;
    }
}

void language_server::compile_waiting(std::vector<json>& out,
                                      const std::function<bool()>& superseded) {
    if (waiting_.empty()) return;
    std::map<std::string, json> lists;  // by the text's path
    std::map<std::filesystem::path, text_result> results;
    std::set<std::filesystem::path> keys = std::move(waiting_);
    waiting_.clear();
    due_.reset();
    for (const std::filesystem::path& key : keys) compile_scenario(key, lists, results);
    if (superseded && superseded()) {
        // A newer text is on its way: these results are of an older one.
        waiting_ = std::move(keys);
        return;
    }
    for (auto& [path, result] : results) results_[path] = std::move(result);
    for (auto& [text, list] : lists) publish(path_argument(text), std::move(list), out);
}

void language_server::compile_scenario(const std::filesystem::path& key,
                                       std::map<std::string, json>& lists,
                                       std::map<std::filesystem::path, text_result>& results) {
    const std::optional<text_name> name = name_of_text(key);
    if (!name) return;
    std::map<std::filesystem::path, diagnostic_list> found;
    const auto snapshot = [&](const std::filesystem::path& text) {
        const auto doc = documents_.find(text);
        if (doc != documents_.end()) return doc->second.text;
        const std::optional<std::string> bytes = current_text(text);
        return editor_text(bytes ? from_windows1252(*bytes) : std::string());
    };
    const auto lost_characters = [&](const std::filesystem::path& text) {
        const auto doc = documents_.find(text);
        if (doc == documents_.end()) return;
        for (const lost_character& lost : as_saved(doc->second.text.utf8()).lost) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(lost.code));
            const text_point from = doc->second.text.point_at(lost.line, lost.characters, encoding_);
            const text_point to =
                doc->second.text.point_at(lost.line, lost.characters + 1, encoding_);
            found[text].add({{"range", {{"start", point_json(from)}, {"end", point_json(to)}}},
                             {"severity", k_warning},
                             {"source", "scenario-tool"},
                             {"message", std::string("carattere senza forma in Windows-1252 (") +
                                             code + "): salvando il testo diventa \"?\""}});
        }
    };
    const auto first_line = [&](const std::filesystem::path& text, std::string message) {
        const editor_text shown = snapshot(text);
        const std::size_t length = shown.characters_before(0, SIZE_MAX);
        found[text].add(
            {{"range",
              {{"start", point_json({0, 0})},
               {"end", point_json(shown.point_at(0, length, encoding_))}}},
             {"severity", k_error},
             {"source", "scenario-tool"},
             {"message", std::move(message)}});
    };
    const std::string folder = display_path(name->folder);

    if (name->kind == description_text::train) {
        // A train text whose line text is nowhere: the line it may belong to is the name up to
        // its last "_".
        const std::size_t underscore = name->stem.rfind('_');
        scenario_request request;
        request.line = underscore == std::string::npos || underscore == 0
                           ? name->stem
                           : name->stem.substr(0, underscore);
        request.train = underscore == std::string::npos ? std::string()
                                                        : name->stem.substr(underscore + 1);
        const text_names names{
            scenario_file_name(request.line, request.train, file_kind::line_description),
            name->file_name};
        first_line(key, missing_texts_message(name->folder, folder, request, names, false, true));
        lost_characters(key);
        results[key] = text_result{description_text::train, nullptr, nullptr, snapshot(key)};
        for (auto& [text, list] : found) lists[key_of(text)] = std::move(list.items);
        return;
    }

    const std::optional<std::string> line_bytes = current_text(key);
    if (!line_bytes) {
        lists[key_of(key)] = json::array();
        return;
    }
    // The train texts of this line: on disk and open in the editor.
    const std::set<std::string> lines = line_names(name->folder);
    std::set<std::string> train_files = texts_on_disk(name->folder).trains;
    for (const auto& [path, doc] : documents_) {
        const auto n = name_of_text(path);
        if (n && n->kind == description_text::train && path.parent_path() == name->folder) {
            train_files.insert(n->file_name);
        }
    }
    std::vector<std::pair<std::filesystem::path, std::string>> trains;  // path, CODE
    for (const std::string& file : train_files) {
        const auto n = name_of_text(name->folder / path_argument(file));
        if (!n) continue;
        const auto split = split_train(n->stem, lines);
        if (split && split->line == name->stem) {
            trains.emplace_back(name->folder / path_argument(file), split->train);
        }
    }

    const editor_text line_snapshot = snapshot(key);
    lost_characters(key);
    found[key];
    const auto add_message = [&](const located_message& m, int severity, json code,
                                 const std::filesystem::path& train_path,
                                 const editor_text& train_snapshot) {
        const bool on_line = m.in == description_text::line;
        const std::filesystem::path& target = on_line ? key : train_path;
        const editor_text& text = on_line ? line_snapshot : train_snapshot;
        const auto range_of = [&](const located_message& at, const editor_text& shown) {
            return at.where ? item_range(shown, at.where->line, at.where->column, encoding_)
                            : item_range(shown, 1, 1, encoding_);
        };
        json diagnostic = {{"range", range_of(m, text)}, {"severity", severity}};
        if (!code.is_null()) diagnostic["code"] = code;
        diagnostic["source"] = "scenario-tool";
        diagnostic["message"] = m.text;
        return std::tuple<json, std::filesystem::path, const editor_text*>(std::move(diagnostic),
                                                                           target, &text);
    };
    const auto add = [&](const located_message& m, int severity, json code, std::string words,
                         const std::vector<located_message>& notes,
                         const std::filesystem::path& train_path,
                         const editor_text& train_snapshot) {
        auto [diagnostic, target, text] =
            add_message(m, severity, std::move(code), train_path, train_snapshot);
        diagnostic["message"] = std::move(words);
        json related = json::array();
        for (const located_message& note : notes) {
            auto [shown, note_target, note_text] =
                add_message(note, k_information, nullptr, train_path, train_snapshot);
            if (related_information_) {
                related.push_back({{"location",
                                    {{"uri", uri_for(note_target)}, {"range", shown["range"]}}},
                                   {"message", note.text}});
            } else {
                found[note_target].add(std::move(shown));
            }
        }
        if (!related.empty()) diagnostic["relatedInformation"] = std::move(related);
        found[target].add(std::move(diagnostic));
    };

    std::shared_ptr<const compiled_scenario> line_compile;
    std::shared_ptr<const compile_features> line_features;
    const auto compile_with = [&](const std::optional<std::filesystem::path>& train_path,
                                  const std::string& code) {
        scenario_texts texts;
        texts.line = line_bytes;
        texts.line_label = name->file_name;
        texts.train_label = scenario_file_name(name->stem, code, file_kind::train_description);
        if (train_path) texts.train = current_text(*train_path);
        const editor_text train_snapshot = train_path ? snapshot(*train_path) : editor_text();
        std::shared_ptr<const compiled_scenario> compiled =
            compile_given_texts(std::move(texts), name->stem, code, true);
        const std::filesystem::path train_key = train_path.value_or(std::filesystem::path());
        const compile_report& report = compiled->report;
        for (const fault_report& f : report.faults) {
            if (!train_path && f.message.in == description_text::train) continue;
            add(f.message, k_error, f.code, fault_text(f), f.notes, train_key, train_snapshot);
        }
        for (const located_message& w : report.warnings) {
            if (!train_path && w.in == description_text::train) continue;
            add(w, k_warning, nullptr, w.text, w.notes, train_key, train_snapshot);
        }
        for (const records_not_compiled& skipped : report.not_compiled) {
            const bool on_line = skipped.file == compiled->line_label;
            if (!train_path && !on_line) continue;
            located_message m;
            m.in = on_line ? description_text::line : description_text::train;
            m.where = source_location{skipped.first_line, 1};
            add(m, k_information, nullptr, not_compiled_text(skipped), {}, train_key,
                train_snapshot);
        }
        auto features = std::make_shared<const compile_features>(compiled);
        if (!line_compile) {
            line_compile = compiled;
            line_features = features;
        }
        if (train_path) {
            lost_characters(*train_path);
            found[*train_path];
            results[*train_path] =
                text_result{description_text::train, compiled, features, train_snapshot};
        }
    };

    if (trains.empty()) {
        // The line alone: its own faults and warnings, and what is missing.
        compile_with(std::nullopt, "CODICE");
        scenario_request request;
        request.line = name->stem;
        request.train = "CODICE";
        const text_names names{name->file_name, scenario_file_name(name->stem, "CODICE",
                                                                   file_kind::train_description)};
        first_line(key, missing_texts_message(name->folder, folder, request, names, true, false));
    }
    for (const auto& [train_path, code] : trains) compile_with(train_path, code);
    results[key] = text_result{description_text::line, line_compile, line_features, line_snapshot};
    for (auto& [text, list] : found) lists[key_of(text)] = std::move(list.items);
}

const language_server::text_result* language_server::result_for(const json& params,
                                                                 std::vector<json>& out) {
    const std::filesystem::path path = path_member(params);
    if (documents_.count(path) == 0) return nullptr;
    // A request answers about the text as it stands: what waits is compiled first.
    if (!waiting_.empty()) compile_waiting(out);
    const auto it = results_.find(path);
    return it == results_.end() ? nullptr : &it->second;
}

text_view language_server::view_of(const text_result& result) const {
    std::string uri;
    for (const auto& [path, r] : results_) {
        if (&r == &result) uri = uri_for(path);
    }
    return text_view{result.kind, result.text, result.features.get(), encoding_, uri};
}

}  // namespace scenario::tool
