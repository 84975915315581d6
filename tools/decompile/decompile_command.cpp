// `scenario-tool decompile DIR --line NAME --train CODE [--out OUTDIR] [--force] [--nearest]`:
// reads NAME_linea.dat (when there is one), NAME_CODE.sim and NAME_CODE.dat from DIR, checked as
// dump checks them, and writes NAME_linea.txt and NAME_CODE-.txt into OUTDIR, texts that compile
// to the same bytes. Files no text gives are refused with every place named; --nearest writes
// the nearest texts instead and names the bytes that will differ. The texts are kept files:
// never written over an existing text without --force, staged, flushed, renamed, and the folder
// flushed.
#include "decompile/decompile_command.h"

#include <system_error>

#include "base/scenario_files.h"
#include "base/windows1252.h"
#include "decompile/decompile.h"
#include "output/binary_readers.h"
#include "platform/platform.h"
#include "session/scenario_request.h"

namespace scenario::tool {
namespace {

// The places listed one by one; past them, a count.
constexpr std::size_t k_places_listed = 200;

std::string read_checked(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        throw tool_failure("file non trovato: " + display_path(file));
    }
    return read_input_file(file);
}

void require_read(const read_status& status, const std::filesystem::path& file) {
    if (!status.ok) {
        throw tool_failure(display_path(file) + ": file danneggiato: " + status.describe());
    }
}

binary_set_read read_binary_set(const scenario_request& r) {
    const auto file = [&](file_kind kind) {
        return r.dir / path_argument(scenario_file_name(r.line, r.train, kind));
    };
    binary_set_read files;
    const std::filesystem::path header_file = file(file_kind::header_table);
    const std::filesystem::path cell_file = file(file_kind::cells);
    files.header_bytes = read_checked(header_file);
    require_read(leggi_testata(files.header_bytes, files.header), header_file);
    files.cell_bytes = read_checked(cell_file);
    require_read(leggi_celle(files.cell_bytes, files.cells), cell_file);
    const read_status beside = verifica_celle_con_testata(files.cells.size(), files.header);
    if (!beside.ok) {
        throw tool_failure(display_path(cell_file) + ": file danneggiato: " + beside.describe() +
                           " (testata: " + display_path(header_file) + ")");
    }
    const std::filesystem::path plan_file = file(file_kind::line_geometry);
    std::error_code ec;
    if (std::filesystem::exists(plan_file, ec)) {
        files.plan_bytes = read_checked(plan_file);
        files.plan_image = seeded_plan_shape(files.plan_bytes);
        if (!files.plan_image) {
            files.plan.emplace();
            require_read(leggi_geometria(files.plan_bytes, *files.plan), plan_file);
        }
    }
    return files;
}

// The names the files were compiled with must be the ones given: the identity codes and the
// header entries 85 and 86 come from them.
void require_names(const binary_set_read& files, const scenario_request& r) {
    const std::string& line = files.header[k_entry_linea].v_nome;
    const std::string& train = files.header[k_entry_codici].v_nome;
    if (line == to_windows1252(r.line) && train == to_windows1252(r.train)) return;
    throw tool_failure("i file sono stati compilati per la linea \"" + from_windows1252(line) +
                       "\" e il treno \"" + from_windows1252(train) + "\", non per --line \"" +
                       r.line + "\" --train \"" + r.train + "\"");
}

// A plan whose length is not the header's route: another compile left it.
std::optional<file_place> plan_of_another_compile(const binary_set_read& files) {
    if (!files.has_plan()) return std::nullopt;
    const std::int64_t length = files.header[k_entry_treno].v_b;
    if (std::int64_t{files.plan_last_metre()} == length + 7000) return std::nullopt;
    return file_place{file_kind::line_geometry, 0, files.plan_bytes.size(), "il file intero",
                      "la geometria è di un percorso di " +
                          std::to_string(files.plan_last_metre() - 7000) +
                          " m, la testata dice " + std::to_string(length) +
                          " m: è rimasta da un'altra compilazione"};
}

void print_places(const std::vector<file_place>& places, const scenario_request& r,
                  std::ostream& out) {
    std::size_t listed = 0;
    for (const file_place& p : places) {
        if (listed++ == k_places_listed) break;
        out << display_path(r.dir / path_argument(scenario_file_name(r.line, r.train, p.file)))
            << ": byte " << p.offset;
        if (p.length > 1) out << " (" << p.length << " byte)";
        out << ": " << p.where << ": " << p.why << "\n";
    }
    if (places.size() > k_places_listed) {
        out << "... e altri " << places.size() - k_places_listed << " punti\n";
    }
}

void write_texts(const std::filesystem::path& out_dir,
                 const std::vector<std::pair<std::filesystem::path, std::string>>& texts) {
    std::error_code ec;
    std::filesystem::create_directories(out_dir, ec);
    if (ec) {
        throw tool_failure("impossibile creare la cartella " + display_path(out_dir) + ": " +
                           ec.message());
    }
    try {
        const platform::directory_lock lock(out_dir, platform::k_lock_patience);
        std::vector<platform::staged_file> staged;
        for (const auto& [file, bytes] : texts) {
            staged.emplace_back(file);
            staged.back().write(bytes);
            staged.back().flush();
        }
        for (platform::staged_file& s : staged) s.commit();
        platform::flush_directory(out_dir);
    } catch (const platform::file_error& e) {
        throw tool_failure("scrittura dei testi non riuscita (" + std::string(e.what()) + ")");
    }
}

}  // namespace

int decompile_command(arguments args, streams io) {
    parsed_arguments parsed;
    const scenario_request r =
        parse_scenario_request(args, "decompile", {}, {"--force", "--nearest"}, parsed);
    require_directory(r.dir);
    const binary_set_read files = read_binary_set(r);
    require_names(files, r);

    decompiled result = decompile_tables(files, r.line, r.train);
    if (const auto other = plan_of_another_compile(files)) {
        result.places.insert(result.places.begin(), *other);
        result.exact = false;
    }
    const bool nearest = parsed.has("--nearest");
    if (!result.exact && !nearest) {
        io.out << "nessun testo dà questi file: " << result.places.size()
               << " punti che il compilatore non lascia così (con --nearest si scrivono i testi "
                  "più vicini)\n";
        print_places(result.places, r, io.out);
        return k_exit_failure;
    }

    const text_names names = scenario_text_names(r);
    const std::vector<std::pair<std::filesystem::path, std::string>> texts = {
        {r.out_dir / path_argument(names.line), result.line_text},
        {r.out_dir / path_argument(names.train), result.train_text}};
    if (!parsed.has("--force")) {
        for (const auto& [file, bytes] : texts) {
            std::error_code ec;
            if (std::filesystem::exists(std::filesystem::symlink_status(file, ec))) {
                throw tool_failure(display_path(file) +
                                   " c'è già: con --force si sostituisce");
            }
        }
    }
    write_texts(r.out_dir, texts);
    for (const auto& [file, bytes] : texts) io.out << "scritto " << display_path(file) << "\n";

    for (const std::string& note : result.notes) io.out << "nota: " << note << "\n";
    if (!files.has_plan()) {
        io.out << "nota: non c'è il file della geometria: per avere gli stessi file si compila "
                  "con --no-geometry\n";
    }
    if (result.stopped) {
        io.out << "avviso: compilazione interrotta: " << *result.stopped << "\n";
    }
    if (result.exact) {
        io.out << "i testi, compilati, danno gli stessi file byte per byte\n";
        return k_exit_ok;
    }
    io.out << "i testi più vicini, compilati, danno file diversi in " << result.places.size()
           << " punti:\n";
    print_places(result.places, r, io.out);
    return k_exit_fault_recorded;
}

}  // namespace scenario::tool
