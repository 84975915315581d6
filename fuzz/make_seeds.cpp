// Writes the seed corpora of the fuzz targets: the program's own description texts, small
// texts that reach every record kind and every fault code, the binary images a compile of
// the program's texts gives, request heads the loopback server accepts and refuses, and editor
// sessions around the program's texts. Run at build time, so the seeds always follow the
// current texts.
//
//   fuzz_seeds DIR   writes DIR/compile/*, DIR/readers/*, DIR/http/* and DIR/lsp/*
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "compile/description_source.h"
#include "base/identity_codes.h"
#include "compile/line_geometry.h"
#include "describe/descriptions.h"
#include "base/fixed_text.h"
#include "base/windows1252.h"
#include "fuzz_input.h"
#include "output/binary_files.h"
#include "run/run_sequence.h"

namespace scenario::fuzz {
namespace {

struct text_seed {
    const char* name;
    std::vector<std::string_view> line;
    std::vector<std::string_view> train;
};

// Small texts in the layout the writers use; each reaches a record kind or a fault.
const std::vector<text_seed>& small_texts() {
    static const std::vector<text_seed> seeds = {
        {"every_line_record",
         {"[generale]",
          "lunghezza percorso,    1000",
          "progressiva chilometrica uno,  0, 3000, 1",
          "progressiva chilometrica due,  5000, 0, 0",
          "progressiva chilometrica tre,  100, 50, 0",
          "sfondo uno,    2",
          "sfondo due,    3",
          "sfondo tre,    4",
          "ripetizione segnali 9 codici,    100    ,150",
          "[curve]",
          "curvad3,  100,  200",
          "curvas1,  250,  100",
          "[pendenze]",
          "pendenza,   0,    10",
          "pendenza,  500,   -5",
          "[montagne]",
          "montagna,   100,  600,  12",
          "montagna,   700,  900,  2",
          "[cartelli]",
          "indicatori_vmax,  300,  80,  60,  40,  1,  60,  5,  0,  2",
          "[indicazioni]",
          "cartello_indicatore,  650,   (UNO)(DUE)",
          "[fine]"},
         {"[generale]", "[fine]"}},
        {"every_train_record",
         {"[generale]", "lunghezza percorso,    5000", "[fine]"},
         {"[generale]",
          "numero vetture,    3",
          "percentuale massa frenata,    110",
          "sabbia,    50",
          "orologio,    7    15    0",
          "[aderenze]",
          "aderenza,   0,    90",
          "aderenza,   400,    300",
          "[vel_limite]",
          "velocita,       0,    72",
          "velocita,    600,    73",
          "[stazioni]",
          "stazione,       0, 12,  300,  0, 0, 0,  1,1,0,  4,1,1,    1,   6,30, 0, Alfa",
          "stazione,    1000,  7,  200,  0, 0, 0,  0,0,0,  0,0,0,   10,   6,35, 0, Beta",
          "stazione,    2000,  5,  700,  0, 1, 1,  0,0,0,  0,0,0,   10,   6,40, 0, \"Gamma, Due\"",
          "[rallentamenti]",
          "rallentamento,   3000,  30,  500,  1,  1,  2",
          "abbattimento,   1500,  250",
          "abbattimento,   1600,  0",
          "[segnali]",
          "segnale,     750,   2, 3, 1,  1, 0,    2,  2,1,1, 50",
          "segnale,    2600,   1, 4, 1,  1, 0,    2,  2,1,1, 0",
          "[codici]",
          "[fine]"}},
        {"route_too_long", {"[generale]", "lunghezza percorso,    1000001", "[fine]"}, {}},
        {"repetition_faults",
         {"[generale]", "lunghezza percorso,    1000", "ripetizione segnali codici,  100, 0",
          "[fine]"},
         {}},
        {"sign_on_board",
         {"[generale]", "lunghezza percorso,    1000", "[cartelli]",
          "indicatori_vmax,  400,  80,  80,  80,  0,  ,  ,  ,  0", "[indicazioni]",
          "cartello_indicatore,  400,   (TESTO)", "[fine]"},
         {}},
        {"beyond_the_cells",
         {"[generale]", "lunghezza percorso,    0", "[pendenze]", "pendenza,   7000,    3",
          "[fine]"},
         {"[generale]", "velocita,   9000,    40", "[fine]"}},
        {"station_faults",
         {"[generale]", "lunghezza percorso,    3000", "[fine]"},
         {"[generale]", "stazione,    1000, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,   10,   6,31, 0, A",
          "stazione,    1400, 27,  250,  0, 0, 0,  0,0,0,  0,0,0,   10,   6,32, 0, B",
          "stazione,    1025, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,   10,   6,33, 0, C", "[fine]"}},
        {"occupied_cells",
         {"[generale]", "lunghezza percorso,    3000", "[fine]"},
         {"[generale]", "segnale,    1000,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
          "abbattimento,   1050,  5", "segnale,    1000,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
          "rallentamento,   1875,  30,  500,  1,  1,  0", "[fine]"}},
        {"dashes_and_last_item",
         {"[generale]", "- - -", "lunghezza percorso,    800", "--", "-pendenza, 0, 4", "[fine]",
          "montagna"},
         {"[generale]", "---", "--", "numero vetture,    2", "sabbia"}},
        {"no_general_section", {"lunghezza percorso,    800"}, {"numero vetture,    2"}},
        {"empty_texts", {}, {}},
    };
    return seeds;
}

std::string crlf_text(const std::vector<std::string_view>& lines) {
    std::string text;
    for (const std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void write_seed(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "fuzz_seeds: cannot write %s\n", file.c_str());
        std::exit(1);
    }
}

run_state compiled_program_texts(const std::string& line, const std::string& train) {
    run_state state;
    state.nome_linea = std::string(k_nome_linea);
    state.codice_treno = std::string(k_codice_treno);
    memory_descriptions texts(line, train);
    compila_scenario(state, 1, texts);
    return state;
}

// The first metres of a plan, both coordinates, as a plan of its own.
geometria first_metres(const geometria& plan, std::int32_t last_metre) {
    geometria part(last_metre);
    for (int coord = 0; coord < 2; ++coord) {
        for (std::int32_t m = 0; m <= last_metre && m <= plan.last_metre(); ++m) {
            if (plan.kind(m, coord) == geometria::tag::integer) {
                part.set_integer(m, coord, static_cast<std::int16_t>(plan.value(m, coord)));
            } else if (plan.kind(m, coord) == geometria::tag::real) {
                part.set_real(m, coord, plan.value(m, coord));
            }
        }
    }
    return part;
}

void write_compile_seeds(const std::filesystem::path& dir, const std::string& line,
                         const std::string& train) {
    write_seed(dir / "program", join_compile_input({line, train, 1}));
    write_seed(dir / "program_without_geometry", join_compile_input({line, train, 0}));
    write_seed(dir / "program_without_train", join_compile_input({line, std::nullopt, 1}));
    write_seed(dir / "program_without_line", join_compile_input({std::nullopt, train, 1}));
    for (const text_seed& seed : small_texts()) {
        write_seed(dir / seed.name,
                   join_compile_input({crlf_text(seed.line), crlf_text(seed.train), 1}));
    }
}

void write_reader_seeds(const std::filesystem::path& dir, const run_state& state) {
    write_seed(dir / "program_cells",
               join_reader_input(reader_kind::cells, serialise_celle(state.celle)));
    write_seed(dir / "program_header_table",
               join_reader_input(reader_kind::header_table, serialise_testata(state.testata)));
    // The whole plan is far beyond any useful input length: its first 300 metres carry every tag.
    write_seed(dir / "program_geometry_start",
               join_reader_input(reader_kind::line_geometry,
                                 serialise_geometria(first_metres(state.geometria, 299))));
    // The smallest images the readers take: cells 0 and 1 with the marker, a header table of
    // empty entries but the marker, a plan traced to metre 2 and one never seeded.
    celle two_cells(2);
    two_cells[1].val1 = k_cell_marker;
    write_seed(dir / "two_cells",
               join_reader_input(reader_kind::cells, serialise_celle(two_cells)));
    testata marked;
    marked[k_entry_linea].v_i1 = k_header_marker;
    write_seed(dir / "marked_header_table",
               join_reader_input(reader_kind::header_table, serialise_testata(marked)));
    geometria tiny(3);
    seed_geometry(tiny);
    tiny.set_real(2, 0, 0.0);
    tiny.set_real(2, 1, 2.0);
    write_seed(dir / "tiny_geometry",
               join_reader_input(reader_kind::line_geometry, serialise_geometria(tiny)));
    write_seed(dir / "never_seeded_geometry",
               join_reader_input(reader_kind::line_geometry, serialise_geometria(geometria(3))));
}

// Heads as browsers send them, and one of each kind the server refuses.
void write_http_seeds(const std::filesystem::path& dir) {
    struct http_seed {
        const char* name;
        std::uint16_t port;
        std::string_view received;
    };
    const http_seed seeds[] = {
        {"browser_get", 41873,
         "GET /versione?t=1712 HTTP/1.1\r\nHost: 127.0.0.1:41873\r\nConnection: keep-alive\r\n"
         "User-Agent: Mozilla/5.0 (X11; Linux x86_64)\r\nAccept: */*\r\n"
         "Accept-Encoding: gzip, deflate, br\r\nAccept-Language: it-IT,it;q=0.9\r\n\r\n"},
        {"head_localhost_port_80", 80, "HEAD /dati HTTP/1.0\nhost: LOCALHOST\n\n"},
        {"leading_blank_line", 8080, "\r\nGET / HTTP/1.1\r\nHost: localhost:8080\r\n\r\n"},
        {"post_with_body", 8080,
         "POST / HTTP/1.1\r\nHost: 127.0.0.1:8080\r\nContent-Length: 3\r\n\r\nabc"},
        {"foreign_host", 8080, "GET / HTTP/1.1\r\nHost: zelnor.example:8080\r\n\r\n"},
        {"two_hosts", 8080,
         "GET / HTTP/1.1\r\nHost: 127.0.0.1:8080\r\nhost: localhost:8080\r\n\r\n"},
        {"folded_line", 8080, "GET / HTTP/1.1\r\nHost: 127.0.0.1:8080\r\nX-A: 1\r\n\t2\r\n\r\n"},
        {"unfinished", 8080, "GET /dati HTTP/1.1\r\nHost: 127.0.0.1:80"},
    };
    for (const http_seed& seed : seeds) {
        write_seed(dir / seed.name, join_http_input(seed.port, seed.received));
    }
}

// A JSON string of a text (UTF-8).
std::string json_string(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string frame(const std::string& body) {
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// The first byte of an input chooses the pieces the rest arrives in.
void write_lsp_seeds(const std::filesystem::path& dir, const std::string& line,
                     const std::string& train) {
    const std::string folder = "file:///nessuna/cartella/";
    const auto open = [&](const std::string& name, const std::string& text) {
        return frame(R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":")" +
                     folder + name + R"(","languageId":"x","version":1,"text":)" +
                     json_string(from_windows1252(text)) + "}}}");
    };
    const auto request = [&](int id, const std::string& method, const std::string& params) {
        return frame(R"({"jsonrpc":"2.0","id":)" + std::to_string(id) + R"(,"method":")" + method +
                     R"(","params":)" + params + "}");
    };
    const std::string at = R"({"textDocument":{"uri":")" + folder +
                           R"(L_T-.txt"},"position":{"line":12,"character":3}})";
    const std::string init =
        request(1, "initialize", R"({"capabilities":{"general":{"positionEncodings":["utf-8"]}}})");
    const std::string session =
        init + open("L_linea.txt", line) + open("L_T-.txt", train) +
        request(2, "textDocument/hover", at) + request(3, "textDocument/completion", at) +
        request(4, "textDocument/codeAction",
                R"({"textDocument":{"uri":")" + folder +
                    R"(L_T-.txt"},"range":{"start":{"line":0,"character":0},"end":{"line":9,"character":0}},"context":{"diagnostics":[]}})") +
        frame(R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":")" +
              folder +
              R"(L_T-.txt","version":2},"contentChanges":[{"range":{"start":{"line":1,"character":0},"end":{"line":1,"character":4}},"text":"segnalle"}]}})") +
        request(5, "textDocument/documentSymbol",
                R"({"textDocument":{"uri":")" + folder + R"(L_T-.txt"}})") +
        request(6, "shutdown", "null") + frame(R"({"jsonrpc":"2.0","method":"exit"})");
    write_seed(dir / "program_session", std::string(1, '\x07') + session);
    write_seed(dir / "small_line", std::string(1, '\x00') + init +
                                       open("L_linea.txt", "[generale]\r\nlunghezza percorso, 5000\r\n[fine]\r\n"));
    write_seed(dir / "malformed", std::string(1, '\x02') + init + frame("{\"jsonrpc\":") +
                                      "Content-Length: x\r\n\r\n" + frame("[1,2]") +
                                      request(7, "nessuno", "{}"));
}

}  // namespace
}  // namespace scenario::fuzz

int main(int argc, char** argv) {
    using namespace scenario;
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds DIR\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    std::filesystem::create_directories(root / "compile");
    std::filesystem::create_directories(root / "readers");
    std::filesystem::create_directories(root / "http");
    std::filesystem::create_directories(root / "lsp");

    std::int32_t indice = 0;
    const std::string line = render_fixed_text(line_description_table(), indice);
    const std::string train = render_fixed_text(train_description_table(), indice);
    fuzz::write_compile_seeds(root / "compile", line, train);
    fuzz::write_reader_seeds(root / "readers", fuzz::compiled_program_texts(line, train));
    fuzz::write_http_seeds(root / "http");
    fuzz::write_lsp_seeds(root / "lsp", line, train);
    return 0;
}
