// What a compile tells the author, in the two forms the tool speaks: lines the way compilers
// write them (faults and warnings on standard error, the summary and the files written on
// standard output), or one JSON document.
#include <algorithm>
#include <ostream>

#include "report/compile_report.h"

namespace scenario::tool {
namespace {

// How the records of each kind are counted for the author, singular and plural.
struct record_words {
    record_kind kind;
    std::string_view one;
    std::string_view many;
};
constexpr record_words k_record_words[] = {
    {record_kind::route_length, "lunghezza del percorso", "lunghezze del percorso"},
    {record_kind::progressive_tre, "progressiva chilometrica", "progressive chilometriche"},
    {record_kind::progressive_due, "progressiva chilometrica", "progressive chilometriche"},
    {record_kind::progressive_uno, "progressiva chilometrica", "progressive chilometriche"},
    {record_kind::sfondo_uno, "sfondo", "sfondi"},
    {record_kind::sfondo_due, "sfondo", "sfondi"},
    {record_kind::sfondo_tre, "sfondo", "sfondi"},
    {record_kind::repetition, "ripetizione segnali", "ripetizioni segnali"},
    {record_kind::gradient, "pendenza", "pendenze"},
    {record_kind::curve, "curva", "curve"},
    {record_kind::mountain, "montagna", "montagne"},
    {record_kind::speed_board, "cartello di velocità", "cartelli di velocità"},
    {record_kind::sign, "cartello di indicazione", "cartelli di indicazione"},
    {record_kind::braked_mass, "massa frenata", "masse frenate"},
    {record_kind::cars, "numero di vetture", "numeri di vetture"},
    {record_kind::speed, "limite di velocità", "limiti di velocità"},
    {record_kind::adhesion, "aderenza", "aderenze"},
    {record_kind::clock, "orologio", "orologi"},
    {record_kind::sand, "sabbia", "sabbie"},
    {record_kind::signal, "segnale", "segnali"},
    {record_kind::slow_order, "rallentamento", "rallentamenti"},
    {record_kind::abatement, "abbattimento", "abbattimenti"},
    {record_kind::station, "stazione", "stazioni"},
};

}  // namespace

std::string counted_records(record_kind kind, std::size_t n) {
    for (const record_words& w : k_record_words) {
        if (w.kind == kind) return std::to_string(n) + " " + std::string(n == 1 ? w.one : w.many);
    }
    return std::to_string(n) + " " + std::string(record_name(kind));
}

namespace {

void print_notes(const std::vector<located_message>& notes, std::ostream& err) {
    for (const located_message& n : notes) {
        err << location_prefix(n) << "nota: " << n.text << '\n';
    }
}

// "righe 15–28" or "riga 15".
std::string lines_of(const records_not_compiled& skipped) {
    if (skipped.first_line == skipped.last_line) return "riga " + std::to_string(skipped.first_line);
    return "righe " + std::to_string(skipped.first_line) + "–" + std::to_string(skipped.last_line);
}

std::string counts_of(const records_not_compiled& skipped) {
    std::string all;
    for (const auto& [kind, n] : skipped.counts) {
        all += (all.empty() ? "" : ", ") + counted_records(kind, n);
    }
    return all;
}

std::string summary_line(const compile_summary& s, std::size_t files) {
    const auto count = [](std::size_t n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    return "riepilogo: percorso di " + std::to_string(s.route_length) + " m, " +
           count(s.stations, "stazione", "stazioni") + ", " + count(s.signals, "segnale", "segnali") +
           ", " + count(s.slow_orders, "rallentamento", "rallentamenti") + ", " +
           count(s.signs, "cartello", "cartelli") + "; " + count(s.faults, "errore", "errori") +
           ", " + count(s.warnings, "avviso", "avvisi") + "; " +
           count(files, "file scritto", "file scritti");
}

// The members "file", "line" and "column" of a message's object.
void add_location(json& object, const located_message& m) {
    object["file"] = m.file;
    object["line"] = m.where ? json(m.where->line) : json(nullptr);
    object["column"] = m.where ? json(m.where->column) : json(nullptr);
}

json notes_json(const std::vector<located_message>& notes) {
    json list = json::array();
    for (const located_message& n : notes) {
        json note;
        add_location(note, n);
        note["message"] = n.text;
        list.push_back(std::move(note));
    }
    return list;
}

}  // namespace

std::string fault_text(const fault_report& fault) {
    return fault.message.text + (fault.recorded ? " [codice registrato]" : "");
}

std::string not_compiled_text(const records_not_compiled& skipped) {
    return lines_of(skipped) + " non compilate: " + counts_of(skipped);
}

void print_diagnostics(const compile_report& c, std::ostream& err) {
    for (const fault_report& f : c.faults) {
        err << location_prefix(f.message) << "errore " << f.code << ": " << fault_text(f) << '\n';
        print_notes(f.notes, err);
    }
    for (const located_message& w : c.warnings) {
        err << location_prefix(w) << "avviso: " << w.text << '\n';
        print_notes(w.notes, err);
    }
    for (const records_not_compiled& skipped : c.not_compiled) {
        err << skipped.file << ":" << skipped.first_line << ":1: nota: "
            << not_compiled_text(skipped) << '\n';
    }
}

void print_compile_report(const compile_report& c, const std::vector<std::string>& files,
                          streams io) {
    print_diagnostics(c, io.err);
    io.out << summary_line(c.summary, files.size()) << '\n';
    for (const std::string& file : files) io.out << "scritto: " << file << '\n';
}

json compile_report_json(const compile_report& c, const std::vector<std::string>& files) {
    json document;
    // The top members: the last fault the program records (1250 or 1251 over a compile code).
    const auto recorded = std::find_if(c.faults.rbegin(), c.faults.rend(),
                                       [](const fault_report& f) { return f.recorded; });
    if (recorded == c.faults.rend()) {
        document["codice_errore"] = 0;
        for (const char* key : {"posizione_errore", "file", "line", "column", "message"}) {
            document[key] = nullptr;
        }
    } else {
        const fault_report& main = *recorded;
        document["codice_errore"] = main.code;
        document["posizione_errore"] = value_or_null(main.position);
        add_location(document, main.message);
        document["message"] = main.message.text;
    }
    json errors = json::array();
    for (const fault_report& f : c.faults) {
        json error;
        error["codice"] = f.code;
        error["registrato"] = f.recorded;
        add_location(error, f.message);
        error["message"] = f.message.text;
        error["notes"] = notes_json(f.notes);
        errors.push_back(std::move(error));
    }
    document["errori"] = std::move(errors);
    json warning_list = json::array();
    for (const located_message& w : c.warnings) {
        json warning;
        add_location(warning, w);
        warning["message"] = w.text;
        warning["notes"] = notes_json(w.notes);
        warning_list.push_back(std::move(warning));
    }
    document["warnings"] = std::move(warning_list);
    json skipped_list = json::array();
    for (const records_not_compiled& skipped : c.not_compiled) {
        json entry;
        entry["file"] = skipped.file;
        entry["first_line"] = skipped.first_line;
        entry["last_line"] = skipped.last_line;
        json counts = json::array();
        for (const auto& [kind, n] : skipped.counts) counts.push_back(counted_records(kind, n));
        entry["records"] = std::move(counts);
        skipped_list.push_back(std::move(entry));
    }
    document["non_compilati"] = std::move(skipped_list);
    const compile_summary& s = c.summary;
    document["riepilogo"] = {{"lunghezza_percorso", s.route_length},
                             {"stazioni", s.stations},
                             {"segnali", s.signals},
                             {"rallentamenti", s.slow_orders},
                             {"cartelli", s.signs},
                             {"errori", s.faults},
                             {"avvisi", s.warnings}};
    document["files"] = files;
    return document;
}

}  // namespace scenario::tool
