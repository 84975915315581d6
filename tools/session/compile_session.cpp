// One compile of an author's two description texts, as `compile`, `view` and `watch` all do it:
// the texts read from DIR (never changed), compiled with the program's own compiler and once
// more in the checking mode, and what the author is told about them worked out.
#include "session/compile_session.h"

#include <algorithm>
#include <system_error>

#include "base/scenario_files.h"

namespace scenario::tool {

namespace {

// The text of a description file, or nothing when the file does not exist: the compiler then
// records the fault the program would (101 for the line, 25 for the train).
std::optional<std::string> read_if_present(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return std::nullopt;
    return read_input_file(file);
}

// The author's texts once more, for the checking compile: read in place, never deleted.
class checked_texts final : public description_source {
   public:
    explicit checked_texts(const memory_descriptions& texts) : texts_(texts) {}
    bool exists(description_text which) override { return texts_.text(which).has_value(); }
    std::string_view read(description_text which) override { return *texts_.text(which); }
    void remove(description_text) override {}
    std::string name(description_text which) const override { return texts_.name(which); }

   private:
    const memory_descriptions& texts_;
};

bool at_or_after(source_location a, source_location b) {
    return a.line > b.line || (a.line == b.line && a.column >= b.column);
}

// Which records of each text did not reach the compiled tables: from the record where the
// compile stopped reading that text (all of the train text when the line text stopped the
// compile before it), counted over the records the checking compile ran.
std::vector<records_not_compiled> find_not_compiled(const compiled_scenario& c) {
    std::vector<records_not_compiled> result;
    for (const description_text text : {description_text::line, description_text::train}) {
        std::optional<source_location> from =
            c.diagnostics.stopped_at[static_cast<std::size_t>(text)];
        if (text == description_text::train && c.diagnostics.train_skipped)
            from = source_location{};
        if (!from) continue;
        records_not_compiled skipped;
        skipped.file = text == description_text::line ? c.line_label : c.train_label;
        for (const compiled_record& r : c.checked.records) {
            if (r.at.text != text || !at_or_after(r.at.where, *from)) continue;
            if (skipped.first_line == 0) skipped.first_line = r.at.where.line;
            skipped.last_line = r.at.where.line;
            auto it = std::find_if(skipped.counts.begin(), skipped.counts.end(),
                                   [&](const auto& count) { return count.first == r.kind; });
            if (it == skipped.counts.end()) {
                skipped.counts.emplace_back(r.kind, 1);
            } else {
                ++it->second;
            }
        }
        if (skipped.first_line == 0) continue;
        result.push_back(std::move(skipped));
    }
    return result;
}

// The features as compiled: the records of the compile that were read before it stopped.
compile_summary summarise(const compiled_scenario& c) {
    compile_summary summary;
    summary.route_length = c.state.testata[k_entry_treno].v_b;
    for (const compiled_record& r : c.diagnostics.records) {
        const auto& stopped = c.diagnostics.stopped_at[static_cast<std::size_t>(r.at.text)];
        if (stopped && at_or_after(r.at.where, *stopped)) continue;
        if (r.at.text == description_text::train && c.diagnostics.train_skipped) continue;
        switch (r.kind) {
            case record_kind::station:
                ++summary.stations;
                break;
            case record_kind::signal:
                ++summary.signals;
                break;
            case record_kind::slow_order:
                ++summary.slow_orders;
                break;
            case record_kind::sign:
            case record_kind::speed_board:
                ++summary.signs;
                break;
            default:
                break;
        }
    }
    summary.faults = c.report.faults.size();
    summary.warnings = c.report.warnings.size();
    return summary;
}

}  // namespace

compile_inputs compiled_scenario::inputs() const {
    return {state,
            diagnostics,
            texts->text(description_text::line),
            texts->text(description_text::train),
            line_label,
            train_label};
}

compile_inputs compiled_scenario::checked_inputs() const {
    return {checked_state,
            checked,
            texts->text(description_text::line),
            texts->text(description_text::train),
            line_label,
            train_label};
}

int compiled_scenario::status() const {
    if (outcome.identity_fault != 0) return k_exit_identity_fault;
    return state.codice_errore != 0 ? k_exit_fault_recorded : k_exit_ok;
}

std::unique_ptr<compiled_scenario> compile_scenario_texts(const scenario_request& request) {
    require_directory(request.dir);

    const text_names names = scenario_text_names(request);
    require_texts(request, names);
    scenario_texts texts;
    texts.line_label = display_path(path_argument(request.dir_word) / path_argument(names.line));
    texts.train_label = display_path(path_argument(request.dir_word) / path_argument(names.train));
    texts.line = read_if_present(request.dir / path_argument(names.line));
    texts.train = read_if_present(request.dir / path_argument(names.train));
    auto compiled = compile_given_texts(std::move(texts), request.line, request.train,
                                        request.geometry);
    const std::filesystem::path out_dir = request.out_dir;
    compiled->state.scenario_directory = [out_dir] { return out_dir; };
    compiled->checked_state.scenario_directory = compiled->state.scenario_directory;
    return compiled;
}

std::unique_ptr<compiled_scenario> compile_given_texts(scenario_texts texts,
                                                       const std::string& line,
                                                       const std::string& train, bool geometry) {
    auto compiled = std::make_unique<compiled_scenario>();
    compiled->line_label = texts.line_label;
    compiled->train_label = texts.train_label;
    // The texts move into the source: the compile reads them in place, and the diagnostics
    // quote them from there.
    compiled->texts =
        std::make_unique<memory_descriptions>(std::move(texts.line), std::move(texts.train),
                                              compiled->line_label, compiled->train_label);

    run_state& state = compiled->state;
    state.nome_linea = line;
    state.codice_treno = train;
    compiled->outcome =
        compila_scenario(state, geometry ? 1 : 0, *compiled->texts, &compiled->diagnostics);

    // The checking compile goes on past every fault, on its own state.
    run_state& check = compiled->checked_state;
    check.nome_linea = line;
    check.codice_treno = train;
    compiled->checked.checking = true;
    checked_texts again(*compiled->texts);
    compila_scenario(check, geometry ? 1 : 0, again, &compiled->checked);

    // Everything that may still fail for want of memory comes before any file is written.
    compile_report& report = compiled->report;
    report.faults = describe_faults(compiled->inputs(), compiled->outcome);
    const std::vector<fault_report> others =
        describe_checked_faults(compiled->checked_inputs(), report.faults);
    report.faults.insert(report.faults.end(), others.begin(), others.end());
    report.warnings = describe_warnings(compiled->checked_inputs());
    report.not_compiled = find_not_compiled(*compiled);
    report.summary = summarise(*compiled);
    return compiled;
}

}  // namespace scenario::tool
