// The language server in-process: the framing and the dispatch of the protocol, the editor's
// text and its positions in the three encodings, and what the editor is told about a scenario
// whose texts are open (diagnostics, hover, outline, completion, quick fixes, folding).
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "lsp/editor_text.h"
#include "lsp/json_rpc.h"
#include "lsp/language_server.h"
#include "lsp/lsp_command.h"
#include "lsp/message_framing.h"
#include "lsp/workspace.h"
#include "scenario_texts.h"
#include "testkit/test_support.h"

namespace scenario::tool {
namespace {

using scenario::testing::scratch_directory;
using scenario::testing::write_bytes;

std::vector<frame> frames_of(message_framer& framer) {
    std::vector<frame> frames;
    while (std::optional<frame> f = framer.next()) frames.push_back(std::move(*f));
    return frames;
}

TEST(MessageFraming, BodiesComeWholeHoweverTheBytesArePieced) {
    const std::string stream = framed("{\"a\":1}") + "content-length:  3\r\nContent-Type: x\r\n\r\n[1]" +
                               framed("\"ò\"");
    for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{7}, stream.size()}) {
        message_framer framer;
        std::vector<frame> frames;
        for (std::size_t at = 0; at < stream.size(); at += piece) {
            framer.feed(std::string_view(stream).substr(at, piece));
            for (frame& f : frames_of(framer)) frames.push_back(std::move(f));
        }
        ASSERT_EQ(frames.size(), 3u) << "pieces of " << piece;
        EXPECT_EQ(frames[0].body, "{\"a\":1}");
        EXPECT_EQ(frames[1].body, "[1]");
        EXPECT_EQ(frames[2].body, "\"ò\"");
        EXPECT_EQ(framer.pending(), 0u);
    }
}

TEST(MessageFraming, RefusesBadHeadersAndOversizedBodiesAndGoesOn) {
    struct fault_case {
        std::string bytes;
        frame::kind expected;
        bool recovers = true;  // false: the body announced swallows the rest of the stream
    };
    const std::vector<fault_case> cases = {
        {"Content-Type: x\r\n\r\n", frame::kind::bad_header},
        {"Content-Length: 12a\r\n\r\n", frame::kind::bad_header},
        {"Content-Length: \r\n\r\n", frame::kind::bad_header},
        {"Content-Length: 2\r\nContent-Length: 2\r\n\r\n", frame::kind::bad_header},
        {"no colon here\r\n\r\n", frame::kind::bad_header},
        {std::string(message_framer::k_max_header + 10, 'x'), frame::kind::bad_header},
        {"Content-Length: 99999999999999999999999999\r\n\r\n", frame::kind::too_large, false},
        {"Content-Length: 11\r\n\r\n0123456789A", frame::kind::too_large},
    };
    for (const fault_case& c : cases) {
        message_framer framer(10);
        framer.feed(c.bytes);
        std::vector<frame> frames = frames_of(framer);
        ASSERT_EQ(frames.size(), 1u) << c.bytes.substr(0, 40);
        EXPECT_EQ(frames[0].what, c.expected) << c.bytes.substr(0, 40);
        // The stream goes on: the next message is read whole.
        framer.feed(framed("{}"));
        frames = frames_of(framer);
        if (!c.recovers) {
            EXPECT_TRUE(frames.empty());
            EXPECT_EQ(framer.pending(), 0u);
            continue;
        }
        ASSERT_EQ(frames.size(), 1u) << c.bytes.substr(0, 40);
        EXPECT_EQ(frames[0].body, "{}");
    }
}

TEST(MessageFraming, AnOversizedBodyIsPassedOverWithoutBeingHeld) {
    message_framer framer(100);
    framer.feed("Content-Length: 5000\r\n\r\n");
    std::vector<frame> frames = frames_of(framer);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].what, frame::kind::too_large);
    const std::string chunk(1000, 'z');
    for (int i = 0; i < 5; ++i) {
        framer.feed(chunk);
        EXPECT_TRUE(frames_of(framer).empty());
        EXPECT_EQ(framer.pending(), 0u);
    }
    framer.feed(framed("[2]"));
    frames = frames_of(framer);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].body, "[2]");
}

TEST(EditorText, SavesAsWindows1252AndNamesWhatWouldBeLost) {
    const saved_text saved = as_saved("a\xC2\x80" "\xE2\x82\xAC" "ò\r\nx\xF0\x9D\x84\x9E" "y\xE2\x9C\x93");
    EXPECT_EQ(saved.bytes, std::string("a\x80\x80\xF2\r\nx?y?"));
    ASSERT_EQ(saved.lost.size(), 2u);
    EXPECT_EQ(saved.lost[0].line, 1u);
    EXPECT_EQ(saved.lost[0].characters, 1u);
    EXPECT_EQ(saved.lost[0].code, U'\U0001D11E');
    EXPECT_EQ(saved.lost[1].characters, 3u);
    EXPECT_EQ(saved.lost[1].code, U'\u2713');
}

TEST(EditorText, PositionsCountInTheAgreedEncoding) {
    // "ò" is 2 bytes of UTF-8 and one UTF-16 unit; "€" 3 bytes and one unit; the clef outside
    // the plane 4 bytes and two units; each is one character.
    const editor_text text("x\r\nò€\xF0\x9D\x84\x9E" "z,\rlast\n");
    ASSERT_EQ(text.line_count(), 4u);
    EXPECT_EQ(text.line(1), "ò€\xF0\x9D\x84\x9E" "z,");
    EXPECT_EQ(text.line(2), "last");
    struct place {
        position_encoding encoding;
        std::int64_t z_at;  // the character offset of "z" on line 1
    };
    for (const place p : {place{position_encoding::utf8, 9}, place{position_encoding::utf16, 4},
                          place{position_encoding::utf32, 3}}) {
        const std::string name(encoding_name(p.encoding));
        EXPECT_EQ(text.point_at(1, 3, p.encoding), (text_point{1, p.z_at})) << name;
        const std::size_t z = text.utf8().find('z');
        EXPECT_EQ(text.offset_of({1, p.z_at}, p.encoding), z) << name;
        EXPECT_EQ(text.characters_before(1, z), 3u) << name;
        // Past the end of a line: its end.
        EXPECT_EQ(text.offset_of({2, 99}, p.encoding), text.utf8().rfind('\n')) << name;
    }
    // Inside the two units of the clef: its start.
    EXPECT_EQ(text.offset_of({1, 3}, position_encoding::utf16), text.utf8().find('\xF0'));
}

TEST(Workspace, FileUrisAndTheNamesOfTexts) {
    EXPECT_EQ(path_of_uri("file:///tmp/Metr%C3%B2%202_linea.txt"),
              path_argument("/tmp/Metrò 2_linea.txt"));
    EXPECT_EQ(path_of_uri("file:///c%3A/a/b.txt"), path_argument("c:/a/b.txt"));
    EXPECT_FALSE(path_of_uri("untitled:Untitled-1"));
    EXPECT_FALSE(path_of_uri("file:///a%2"));
    EXPECT_EQ(uri_of_path(path_argument("/tmp/Metrò 2_linea.txt")),
              "file:///tmp/Metr%C3%B2%202_linea.txt");

    const auto line = name_of_text(path_argument("/a/Metrò 2_linea.txt"));
    ASSERT_TRUE(line);
    EXPECT_EQ(line->kind, description_text::line);
    EXPECT_EQ(line->stem, "Metrò 2");
    const auto train = name_of_text(path_argument("/a/Metrò 2_R_1-.txt"));
    ASSERT_TRUE(train);
    EXPECT_EQ(train->kind, description_text::train);
    EXPECT_FALSE(name_of_text(path_argument("/a/Metrò 2_note.txt")));

    // The longest NAME whose line text is there; CODE may hold "_" itself.
    const auto split = split_train("A_B_R_1", {"A", "A_B", "C"});
    ASSERT_TRUE(split);
    EXPECT_EQ(split->line, "A_B");
    EXPECT_EQ(split->train, "R_1");
    EXPECT_FALSE(split_train("A_", {"A"}));
    EXPECT_FALSE(split_train("B_1", {"A"}));
}

// A server with no debounce, driven by hand: requests return their answer, the notifications
// sent meanwhile are kept.
class server_session {
   public:
    explicit server_session(json capabilities = json::object()) {
        const json answer = request("initialize", {{"capabilities", capabilities}});
        capabilities_ = answer["result"]["capabilities"];
        notify("initialized", json::object());
    }

    json request(const std::string& method, json params) {
        const int id = ++next_id_;
        send({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
        for (const json& m : out_) {
            if (m.contains("id") && m["id"] == id) return m;
        }
        ADD_FAILURE() << "no answer to " << method;
        return nullptr;
    }
    json result(const std::string& method, json params) { return request(method, params)["result"]; }
    void notify(const std::string& method, json params) {
        send({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
    }
    void send(json message) {
        std::vector<json> batch;
        batch.push_back(std::move(message));
        server.receive(std::move(batch), out_, language_server::clock::now());
        collect();
    }
    // The waiting compiles run; the diagnostics last published for each URI.
    void settle() {
        server.compile_waiting(out_);
        collect();
    }
    void open(const std::filesystem::path& file, const std::string& text, int version = 1) {
        notify("textDocument/didOpen",
               {{"textDocument",
                 {{"uri", uri_of_path(file)}, {"languageId", "x"}, {"version", version},
                  {"text", text}}}});
    }
    json diagnostics(const std::filesystem::path& file) const {
        const auto it = published_.find(uri_of_path(file));
        return it == published_.end() ? json(nullptr) : it->second;
    }
    const json& capabilities() const { return capabilities_; }
    std::vector<json>& sent() { return out_; }

    language_server server{language_server::options{std::chrono::milliseconds(0)}};

   private:
    void collect() {
        for (const json& m : out_) {
            if (m.value("method", "") == "textDocument/publishDiagnostics") {
                published_[m["params"]["uri"]] = m["params"]["diagnostics"];
            }
        }
    }
    std::vector<json> out_;
    std::map<std::string, json> published_;
    json capabilities_;
    int next_id_ = 0;
};

json text_document(const std::filesystem::path& file) { return {{"uri", uri_of_path(file)}}; }

json at(const std::filesystem::path& file, int line, int character) {
    return {{"textDocument", text_document(file)},
            {"position", {{"line", line}, {"character", character}}}};
}

TEST(LanguageServerProtocol, NegotiatesThePositionEncoding) {
    struct offer {
        json encodings;
        std::string chosen;
    };
    for (const offer& o : {offer{nullptr, "utf-16"}, offer{{"utf-8"}, "utf-8"},
                           offer{{"utf-32", "utf-16"}, "utf-32"},
                           offer{{"latin-1", "utf-8"}, "utf-8"}, offer{{"ebcdic"}, "utf-16"}}) {
        json capabilities = json::object();
        if (!o.encodings.is_null()) capabilities["general"]["positionEncodings"] = o.encodings;
        server_session session(capabilities);
        EXPECT_EQ(session.capabilities()["positionEncoding"], o.chosen) << o.encodings.dump();
        EXPECT_EQ(session.capabilities()["textDocumentSync"]["change"], 2);
    }
}

int error_code(const json& message) {
    return message.contains("error") ? message["error"]["code"].get<int>() : 0;
}

TEST(LanguageServerProtocol, AnswersMalformedMessagesWithTheProtocolsErrors) {
    language_server server;
    std::vector<json> out;
    const auto now = language_server::clock::now();
    // Before initialize.
    server.receive(frame{frame::kind::body, R"({"jsonrpc":"2.0","id":1,"method":"x"})"}, out, now);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(error_code(out[0]), rpc::server_not_initialized);
    out.clear();
    server.receive(frame{frame::kind::body,
                         R"({"jsonrpc":"2.0","id":2,"method":"initialize","params":{}})"},
                   out, now);
    ASSERT_EQ(out.size(), 1u);
    out.clear();

    struct bad_case {
        frame incoming;
        int code;
        json id;
    };
    const std::vector<bad_case> cases = {
        {{frame::kind::body, "{\"jsonrpc\":"}, rpc::parse_error, nullptr},
        {{frame::kind::bad_header, ""}, rpc::parse_error, nullptr},
        {{frame::kind::too_large, ""}, rpc::invalid_request, nullptr},
        {{frame::kind::body, "[1,2]"}, rpc::invalid_request, nullptr},
        {{frame::kind::body, "42"}, rpc::invalid_request, nullptr},
        {{frame::kind::body, R"({"id":3,"method":"shutdown"})"}, rpc::invalid_request, 3},
        {{frame::kind::body, R"({"jsonrpc":"2.0","id":4,"method":7})"}, rpc::invalid_request, 4},
        {{frame::kind::body, R"({"jsonrpc":"2.0","id":5,"method":"x","params":3})"},
         rpc::invalid_request, 5},
        {{frame::kind::body, R"({"jsonrpc":"2.0","id":"s","method":"nope/nothing"})"},
         rpc::method_not_found, "s"},
        {{frame::kind::body, R"({"jsonrpc":"2.0","id":6,"method":"initialize","params":{}})"},
         rpc::invalid_request, 6},
        {{frame::kind::body,
          R"({"jsonrpc":"2.0","id":7,"method":"textDocument/hover","params":{"textDocument":{}}})"},
         rpc::invalid_params, 7},
    };
    for (const bad_case& c : cases) {
        server.receive(c.incoming, out, now);
        ASSERT_EQ(out.size(), 1u) << c.incoming.body;
        EXPECT_EQ(error_code(out[0]), c.code) << c.incoming.body;
        EXPECT_EQ(out[0]["id"], c.id) << c.incoming.body;
        out.clear();
    }
    // Unknown notifications and answers to nothing are passed over in silence.
    server.receive(frame{frame::kind::body, R"({"jsonrpc":"2.0","method":"$/whatever"})"}, out, now);
    server.receive(frame{frame::kind::body, R"({"jsonrpc":"2.0","id":9,"result":null})"}, out, now);
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(server.exited());
}

TEST(LanguageServerProtocol, CancelsRequestsNotYetAnsweredAndEndsAsAsked) {
    server_session session;
    std::vector<json> batch = {
        {{"jsonrpc", "2.0"}, {"id", 50}, {"method", "shutdown"}},
        {{"jsonrpc", "2.0"}, {"method", "$/cancelRequest"}, {"params", {{"id", 50}}}},
    };
    std::vector<json>& out = session.sent();
    out.clear();
    session.server.receive(batch, out, language_server::clock::now());
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(error_code(out[0]), rpc::request_cancelled);
    // Not shut down: that request was cancelled; exit now asks for status 1.
    EXPECT_EQ(session.server.exit_status(), 1);
    EXPECT_EQ(session.request("shutdown", nullptr)["result"], nullptr);
    EXPECT_EQ(error_code(session.request("textDocument/hover", json::object())),
              rpc::invalid_request);
    EXPECT_EQ(session.server.exit_status(), 0);
    session.notify("exit", nullptr);
    EXPECT_TRUE(session.server.exited());
}

// A scenario in a folder of its own: the line text on disk, the train text too.
struct scenario_folder {
    scratch_directory dir;
    std::filesystem::path line = dir.path() / path_argument("Metrò 2_linea.txt");
    std::filesystem::path train = dir.path() / path_argument("Metrò 2_R1-.txt");

    scenario_folder() {
        write_bytes(line, scenario::testing::line_with("pendenza, 0, 0\r\n"));
        write_bytes(train, scenario::testing::k_train_ok);
    }
};

// Two stations too close (fault 22, with a note at the one before), a limit that will be
// rounded and a misspelt signal (two warnings).
std::string faulty_train() {
    return "[generale]\r\nvelocita, 0, 83\r\n" + scenario::testing::station_at(1000) +
           scenario::testing::station_at(1200, 27, 200, "Vicina") + "segnalle, 3000\r\n[fine]\r\n";
}

TEST(LanguageServerScenario, PublishesFaultsWarningsAndNotesOnTheTextsTheyBelongTo) {
    scenario_folder s;
    server_session session(json{{"textDocument", {{"publishDiagnostics", {{"relatedInformation", true}}}}}});
    session.open(s.train, faulty_train());
    session.settle();
    const json diagnostics = session.diagnostics(s.train);
    ASSERT_TRUE(diagnostics.is_array());
    const auto fault = std::find_if(diagnostics.begin(), diagnostics.end(),
                                    [](const json& d) { return d.value("code", 0) == 22; });
    ASSERT_NE(fault, diagnostics.end()) << diagnostics.dump();
    EXPECT_EQ((*fault)["severity"], 1);
    EXPECT_EQ((*fault)["source"], "scenario-tool");
    EXPECT_TRUE((*fault)["message"].get<std::string>().ends_with(" [codice registrato]"));
    EXPECT_EQ((*fault)["range"]["start"]["line"], 3);
    ASSERT_EQ((*fault)["relatedInformation"].size(), 1u);
    EXPECT_EQ((*fault)["relatedInformation"][0]["location"]["range"]["start"]["line"], 2);
    EXPECT_EQ((*fault)["relatedInformation"][0]["location"]["uri"], uri_of_path(s.train));
    int warnings = 0;
    for (const json& d : diagnostics) warnings += d["severity"] == 2 ? 1 : 0;
    EXPECT_EQ(warnings, 2) << diagnostics.dump();
    // The line text is clean, and was published as such though it is not open.
    EXPECT_EQ(session.diagnostics(s.line), nullptr);

    // A fault of the line text goes on the line text once, whichever train it came with.
    write_bytes(s.dir.path() / path_argument("Metrò 2_R2-.txt"), scenario::testing::k_train_ok);
    session.open(s.line, scenario::testing::line_with("montagna, 900000, 900100, 2\r\n"));
    session.settle();
    const json on_line = session.diagnostics(s.line);
    ASSERT_TRUE(on_line.is_array());
    EXPECT_EQ(std::count_if(on_line.begin(), on_line.end(),
                            [](const json& d) { return d.value("code", 0) == 15; }),
              1)
        << on_line.dump();

    // Closing the texts clears everything the scenario published.
    session.notify("textDocument/didClose", {{"textDocument", text_document(s.train)}});
    EXPECT_EQ(session.diagnostics(s.train), json::array());
    session.notify("textDocument/didClose", {{"textDocument", text_document(s.line)}});
    EXPECT_EQ(session.diagnostics(s.line), json::array());
}

TEST(LanguageServerScenario, NotesBecomeInformationWhereTheClientHasNoRelatedInformation) {
    scenario_folder s;
    server_session session;
    session.open(s.train, faulty_train());
    session.settle();
    const json diagnostics = session.diagnostics(s.train);
    bool information_at_earlier_station = false;
    for (const json& d : diagnostics) {
        EXPECT_FALSE(d.contains("relatedInformation"));
        if (d["severity"] == 3 && d["range"]["start"]["line"] == 2) {
            information_at_earlier_station = true;
        }
    }
    EXPECT_TRUE(information_at_earlier_station) << diagnostics.dump();
}

TEST(LanguageServerScenario, ATextWithoutItsPartnerSaysWhichFileIsMissing) {
    scratch_directory dir;
    const std::filesystem::path train = dir.path() / path_argument("Linea_R1-.txt");
    write_bytes(dir.path() / path_argument("Lineaa_linea.txt"), scenario::testing::k_line_ok);
    server_session session;
    session.open(train, scenario::testing::k_train_ok);
    session.settle();
    const json diagnostics = session.diagnostics(train);
    ASSERT_EQ(diagnostics.size(), 1u) << diagnostics.dump();
    EXPECT_EQ(diagnostics[0]["range"]["start"]["line"], 0);
    EXPECT_EQ(diagnostics[0]["severity"], 1);
    const std::string message = diagnostics[0]["message"];
    EXPECT_NE(message.find("testo della linea non trovato"), std::string::npos) << message;
    EXPECT_NE(message.find("Linea_linea.txt"), std::string::npos) << message;
    EXPECT_NE(message.find("Lineaa_linea.txt"), std::string::npos) << message;

    // Once the line text is there (open in the editor, not yet saved), the train is compiled.
    session.open(dir.path() / path_argument("Linea_linea.txt"), scenario::testing::k_line_ok);
    session.settle();
    EXPECT_EQ(session.diagnostics(train), json::array());
}

TEST(LanguageServerScenario, PositionsCountAsNegotiatedAndLostCharactersAreShown) {
    // "ò", "€" and a clef outside the plane stand before the misspelt keyword's line's item.
    const std::string station = "stazione, 1000, 27, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 30, 0, "
                                "ò€\xF0\x9D\x84\x9E" "X\r\n";
    struct expected {
        std::string encoding;
        int clef;  // where the clef stands on the station's line
    };
    const int before = 65;  // the characters before the name
    for (const expected& e : {expected{"utf-8", before + 5}, expected{"utf-16", before + 2},
                              expected{"utf-32", before + 2}}) {
        scenario_folder s;
        server_session session(json{{"general", {{"positionEncodings", {e.encoding}}}}});
        session.open(s.train, "[generale]\r\n" + station + "[fine]\r\n");
        session.settle();
        const json diagnostics = session.diagnostics(s.train);
        ASSERT_EQ(diagnostics.size(), 1u) << diagnostics.dump();
        EXPECT_EQ(diagnostics[0]["severity"], 2);
        EXPECT_NE(diagnostics[0]["message"].get<std::string>().find("U+1D11E"), std::string::npos);
        EXPECT_EQ(diagnostics[0]["range"]["start"], json({{"line", 1}, {"character", e.clef}}))
            << e.encoding;
        // The hover over the station quotes its name as the file will hold it.
        const json hover = session.result("textDocument/hover", at(s.train, 1, 2));
        EXPECT_NE(hover["contents"]["value"].get<std::string>().find("ò€?X"), std::string::npos)
            << hover.dump();
    }
}

TEST(LanguageServerScenario, IncrementalChangesAreAppliedAndTheDiagnosticsFollow) {
    scenario_folder s;
    server_session session(json{{"general", {{"positionEncodings", {"utf-16"}}}}});
    session.open(s.train, faulty_train());
    session.settle();
    ASSERT_FALSE(session.diagnostics(s.train).empty());
    // Line 4 ("stazione, 1200, ...") moves to 2200: the stations are far enough apart.
    session.notify("textDocument/didChange",
                   {{"textDocument", {{"uri", uri_of_path(s.train)}, {"version", 2}}},
                    {"contentChanges",
                     {{{"range",
                        {{"start", {{"line", 3}, {"character", 10}}},
                         {"end", {{"line", 3}, {"character", 11}}}}},
                       {"text", "2"}}}}});
    EXPECT_TRUE(session.server.compile_due());
    session.settle();
    const json diagnostics = session.diagnostics(s.train);
    EXPECT_TRUE(std::none_of(diagnostics.begin(), diagnostics.end(),
                             [](const json& d) { return d.contains("code"); }))
        << diagnostics.dump();
}

TEST(LanguageServerScenario, ResultsOfAnOlderTextAreDropped) {
    scenario_folder s;
    server_session session;
    session.open(s.train, faulty_train());
    std::vector<json> out;
    session.server.compile_waiting(out, [] { return true; });
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(session.server.compile_due());  // still waiting, for the newer text
}

TEST(LanguageServerFeatures, HoverTellsWhatARecordCompiledTo) {
    scenario_folder s;
    server_session session;
    session.open(s.train, "[generale]\r\nvelocita, 0, 83\r\n" +
                              scenario::testing::station_at(1000, 12, 200, "Zelnor") +
                              scenario::testing::signal_at(2000) + "[fine]\r\n");
    session.settle();
    struct probe {
        int line;
        std::vector<std::string> words;
    };
    for (const probe& p : {probe{1, {"velocita", "limite 85 km/h", "celle 0–"}},
                           probe{2, {"stazione", "voce 1 della testata", "\"Zelnor\"",
                                     "fermata"}},
                           probe{3, {"segnale", "cella 41 (2000 m–2050 m)", "posizione 2000"}}}) {
        const json hover = session.result("textDocument/hover", at(s.train, p.line, 3));
        const std::string value = hover["contents"]["value"];
        for (const std::string& w : p.words) {
            EXPECT_NE(value.find(w), std::string::npos) << w << " in\n" << value;
        }
    }
    EXPECT_EQ(session.result("textDocument/hover", at(s.train, 0, 1)), nullptr);

    // Two records on one line: each answers for its own stretch of the line.
    session.notify("textDocument/didClose", {{"textDocument", text_document(s.train)}});
    std::string two = scenario::testing::station_at(1000, 27, 200, "Uno");
    two.resize(two.size() - 2);
    two += ", " + scenario::testing::station_at(2400, 27, 200, "Due");
    session.open(s.train, "[generale]\r\n" + two + "[fine]\r\n");
    session.settle();
    const std::string second = session.result("textDocument/hover",
                                               at(s.train, 1, static_cast<int>(two.find("Due"))))
                                   ["contents"]["value"];
    EXPECT_NE(second.find("nome \"Due\""), std::string::npos) << second;
    EXPECT_NE(second.find("voce 2 della testata"), std::string::npos) << second;
    const json symbols =
        session.result("textDocument/documentSymbol", {{"textDocument", text_document(s.train)}});
    std::vector<std::string> stations;
    for (const json& symbol : symbols) {
        if (symbol["kind"] == 5) stations.push_back(symbol["name"]);
    }
    EXPECT_EQ(stations, (std::vector<std::string>{"stazione Uno", "stazione Due"})) << symbols.dump();
}

TEST(LanguageServerFeatures, OutlineFoldingAndCompletionFollowTheSections) {
    scenario_folder s;
    server_session session(json{{"textDocument",
          {{"documentSymbol", {{"hierarchicalDocumentSymbolSupport", true}}},
           {"completion", {{"completionItem", {{"snippetSupport", true}}}}}}}});
    const std::string line = "[generale]\r\nlunghezza percorso, 5000\r\n[pendenze]\r\n"
                              "pendenza, 0, 5\r\npendenza, 2000, -3\r\n[fine]\r\n";
    session.open(s.line, line);
    session.settle();
    const json symbols =
        session.result("textDocument/documentSymbol", {{"textDocument", text_document(s.line)}});
    ASSERT_EQ(symbols.size(), 3u) << symbols.dump();
    EXPECT_EQ(symbols[1]["name"], "[pendenze]");
    EXPECT_EQ(symbols[1]["kind"], 3);
    ASSERT_EQ(symbols[1]["children"].size(), 2u);
    EXPECT_EQ(symbols[1]["children"][1]["name"], "pendenza 2000 m");

    const json folds =
        session.result("textDocument/foldingRange", {{"textDocument", text_document(s.line)}});
    ASSERT_EQ(folds.size(), 2u) << folds.dump();
    EXPECT_EQ(folds[1]["startLine"], 2);
    EXPECT_EQ(folds[1]["endLine"], 4);

    const auto labels = [&](int at_line) {
        std::map<std::string, json> items;
        const json answer = session.result("textDocument/completion", at(s.line, at_line, 0));
        for (const json& item : answer["items"]) items[item["label"]] = item;
        return items;
    };
    const auto generale = labels(1);
    EXPECT_EQ(generale.count("lunghezza percorso"), 1u);
    EXPECT_EQ(generale.count("ripetizione segnali 4 codici"), 1u);
    EXPECT_EQ(generale.count("pendenza"), 0u);
    const auto features = labels(3);
    EXPECT_EQ(features.count("lunghezza percorso"), 0u);
    ASSERT_EQ(features.count("indicatori_vmax"), 1u);
    EXPECT_EQ(features.at("indicatori_vmax")["insertText"],
              "indicatori_vmax, ${1:posizione}, ${2:vas}, ${3:vbs}, ${4:vcs}, ${5:strisces}, "
              "${6:vad}, ${7:vbd}, ${8:vcd}, ${9:strisced}");
    EXPECT_EQ(features.at("curvas")["insertText"], "curvas${1:5}, ${2:inizio}, ${3:lunghezza}");
    // The record of the section under the cursor comes first.
    EXPECT_LT(features.at("pendenza")["sortText"].get<std::string>(),
              features.at("montagna")["sortText"].get<std::string>());
}

TEST(LanguageServerFeatures, QuickFixesForTheWarningsWithOneObviousFix) {
    struct fix_case {
        description_text text;
        std::string record;  // the text's record on its line 2 (line 4 of the line text)
        std::string title;
        std::string fixed;  // that line once the fix is applied
    };
    const std::vector<fix_case> cases = {
        {description_text::train, "segnalle, 3000, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0",
         "Sostituisci \"segnalle\" con \"segnale\"", "segnale, 3000, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0"},
        {description_text::train, "velocita, 0, 83", "Scrivi 85 al posto di 83", "velocita, 0, 85"},
        {description_text::train, "-velocita, 0, 80", "Togli il trattino da \"-velocita\"",
         "velocita, 0, 80"},
        {description_text::line, "pendenza, 0, 12,5", "Scrivi 12 al posto di \"12,5\"",
         "pendenza, 0, 12"},
        {description_text::line, "indicatori_vmax, 400, 80, 80, 80, 0, 80, 83, 80, 0",
         "Scrivi 85 al posto di 83", "indicatori_vmax, 400, 80, 80, 80, 0, 80, 85, 80, 0"},
    };
    for (const fix_case& c : cases) {
        scenario_folder s;
        server_session session;
        const bool train = c.text == description_text::train;
        const std::filesystem::path file = train ? s.train : s.line;
        const std::string text = train ? scenario::testing::train_with(c.record + "\r\nvelocita, 10, 80\r\n")
                                       : scenario::testing::line_with(c.record + "\r\n");
        const int line = train ? 1 : 3;
        session.open(file, text);
        session.settle();
        const json actions = session.result(
            "textDocument/codeAction",
            {{"textDocument", text_document(file)},
             {"range", {{"start", {{"line", line}, {"character", 0}}},
                        {"end", {{"line", line}, {"character", 0}}}}},
             {"context", {{"diagnostics", json::array()}}}});
        ASSERT_EQ(actions.size(), 1u) << c.record << "\n" << actions.dump();
        EXPECT_EQ(actions[0]["title"], c.title);
        EXPECT_EQ(actions[0]["kind"], "quickfix");
        editor_text edited(text);
        for (const json& edit : actions[0]["edit"]["changes"][uri_of_path(file)]) {
            const auto point = [](const json& p) {
                return text_point{p["line"].get<std::int64_t>(), p["character"].get<std::int64_t>()};
            };
            edited.replace(edited.offset_of(point(edit["range"]["start"]), position_encoding::utf16),
                           edited.offset_of(point(edit["range"]["end"]), position_encoding::utf16),
                           edit["newText"].get<std::string>());
        }
        EXPECT_EQ(edited.line(static_cast<std::size_t>(line)), c.fixed);
    }
    // "[generale]" misspelt in a train text.
    scenario_folder s;
    server_session session;
    session.open(s.train, "[generle]\r\nvelocita, 0, 80\r\n[fine]\r\n");
    session.settle();
    const json actions = session.result(
        "textDocument/codeAction",
        {{"textDocument", text_document(s.train)},
         {"range", {{"start", {{"line", 0}, {"character", 0}}}, {"end", {{"line", 2}, {"character", 0}}}}},
         {"context", {{"diagnostics", json::array()}}}});
    ASSERT_EQ(actions.size(), 1u) << actions.dump();
    EXPECT_EQ(actions[0]["title"], "Sostituisci \"[generle]\" con \"[generale]\"");
}

TEST(LanguageServerLoop, OnlyFramedMessagesGoOutAndTheStatusIsTheProtocols) {
    struct run_case {
        std::vector<std::string> messages;
        int status;
    };
    const std::string init = R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})";
    const std::string shutdown = R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})";
    const std::string exit = R"({"jsonrpc":"2.0","method":"exit"})";
    for (const run_case& c : {run_case{{init, shutdown, exit}, 0}, run_case{{init, exit}, 1},
                              run_case{{init, shutdown}, 0}, run_case{{init}, 1},
                              run_case{{"{bad", init, shutdown, exit, init}, 0}}) {
        std::string input;
        for (const std::string& m : c.messages) input += framed(m);
        auto position = std::make_shared<std::size_t>(0);
        std::string output;
        server_channel channel{
            [input, position](char* buffer, std::size_t size) {
                const std::size_t n = std::min<std::size_t>(std::min<std::size_t>(size, 5),
                                                            input.size() - *position);
                std::copy_n(input.data() + *position, n, buffer);
                *position += n;
                return n;
            },
            [&output](std::string_view bytes) {
                output += bytes;
                return true;
            }};
        std::ostringstream log;
        EXPECT_EQ(serve_language(channel, {}, log), c.status);
        // The output is frames and nothing else.
        message_framer framer;
        framer.feed(output);
        std::size_t answers = 0;
        while (std::optional<frame> f = framer.next()) {
            ASSERT_EQ(f->what, frame::kind::body);
            EXPECT_FALSE(json::parse(f->body, nullptr, false).is_discarded()) << f->body;
            ++answers;
        }
        EXPECT_EQ(framer.pending(), 0u);
        EXPECT_GE(answers, 1u);
    }
}

}  // namespace
}  // namespace scenario::tool
