#include "decompile/decompile.h"

#include "compile/compiler.h"
#include "decompile/decompile_parts.h"
#include "output/binary_files.h"

namespace scenario::tool {
namespace {

using namespace decompiling;

// Compiles the texts as the tool's compile does and holds the tables against the files.
std::vector<file_place> compile_and_compare(const binary_set_read& files, const std::string& line,
                                            const std::string& train, const std::string& line_text,
                                            const std::string& train_text) {
    run_state state;
    state.nome_linea = line;
    state.codice_treno = train;
    memory_descriptions texts(line_text, train_text);
    const compile_outcome outcome = compila_scenario(state, files.has_plan() ? 1 : 0, texts);
    std::vector<file_place> out;
    if (!outcome.writes_files()) {
        out.push_back({file_kind::cells, 0, 1, "i tre file",
                       "i testi non danno nessun file (la compilazione si ferma prima delle celle "
                       "o con un errore d'identità)"});
        return out;
    }
    // The bytes first, as the files hold them: the places are looked for only where they differ.
    const auto differ = [&](file_kind kind, const std::string& compiled, const std::string& file,
                            auto place) {
        if (compiled == file) return;
        const std::size_t before = out.size();
        place();
        if (out.size() == before) {
            out.push_back({kind, 0, file.size(), "il file intero",
                           "i testi danno un file di " + number(static_cast<std::int64_t>(compiled.size())) +
                               " byte, il file ne ha " + number(static_cast<std::int64_t>(file.size()))});
        }
    };
    differ(file_kind::header_table, serialise_testata(state.testata), files.header_bytes,
           [&] { compare_header(files.header, state.testata, out); });
    differ(file_kind::cells, serialise_celle(state.celle), files.cell_bytes,
           [&] { compare_cells(files.cells, state.celle, out); });
    if (files.has_plan() && !same_image(state.geometria, files.plan_bytes)) {
        // Only now is the file's plan made a table, to place what differs.
        geometria file_plan;
        if (files.plan) {
            file_plan = *files.plan;
        } else {
            leggi_geometria(files.plan_bytes, file_plan);
        }
        const std::size_t before = out.size();
        compare_plans(&file_plan, &state.geometria, files.plan_bytes, out);
        if (out.size() == before) {
            out.push_back({file_kind::line_geometry, 0, files.plan_bytes.size(), "il file intero",
                           "i testi danno altri byte"});
        }
    }
    return out;
}

}  // namespace

decompiled decompile_tables(const binary_set_read& files, const std::string& line,
                            const std::string& train) {
    findings found;
    decompiled out;

    traced_plan turns;
    line_stop stop = line_stop::none;
    if (files.plan_image) {
        turns = read_turns(*files.plan_image, files.plan_bytes, found);
        if (turns.last_traced < files.plan_image->last_metre - 2) stop = line_stop::in_features;
    } else if (files.plan) {
        // A plan never seeded: the compile stopped in [generale].
        stop = line_stop::in_general;
    }
    if (!files.has_plan() && !progressive_records(files.header)) {
        // Without a plan, a stop in [generale] shows as progressives left as they were read
        // (never put in order) over cells that nothing reached.
        bool untouched = true;
        for (const cella& c : files.cells) untouched = untouched && c.pendenza == 0;
        if (untouched) stop = line_stop::in_general;
    }
    out.line_text = line_text(files, files.has_plan() ? &turns : nullptr, stop, found);
    std::optional<std::string> train_stopped;
    out.train_text = train_text(files, stop == line_stop::none, found, train_stopped);
    if (stop == line_stop::in_general) {
        out.stopped =
            "la compilazione si è fermata nella sezione [generale] del testo della linea, prima "
            "della geometria: il testo della linea finisce con un record che la ferma allo "
            "stesso punto (una ripetizione dei segnali senza il numero dei codici)";
    } else if (stop == line_stop::in_features) {
        out.stopped =
            "la compilazione si è fermata nel testo della linea: la geometria non arriva alla "
            "fine e il testo del treno non è stato letto; il testo della linea finisce con un "
            "record che la ferma allo stesso punto";
    } else if (train_stopped) {
        out.stopped = train_stopped;
    }

    const std::vector<file_place> differences =
        compile_and_compare(files, line, train, out.line_text, out.train_text);
    out.exact = differences.empty();
    sort_by_place(found.places);
    out.places = std::move(found.places);
    std::vector<file_place> sorted = differences;
    sort_by_place(sorted);
    out.places.insert(out.places.end(), sorted.begin(), sorted.end());
    if (out.exact) out.places.clear();
    out.notes = std::move(found.notes);
    return out;
}

}  // namespace scenario::tool
