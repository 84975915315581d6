#include "compile/record_scanner.h"

#include "base/windows1252.h"
#include "compile/compile_support.h"

namespace scenario {

bool passes(const keyword_row& row, std::string_view item) {
    const auto contains = [&](std::string_view key) {
        return row.match == keyword_case::exact ? contains_exact(item, key)
                                                : contains_any_case(item, key);
    };
    return contains(row.first) && (row.second.empty() || contains(row.second));
}

bool is_keyword(std::span<const keyword_row> rows, std::string_view item) {
    for (const keyword_row& row : rows) {
        if (passes(row, item)) return true;
    }
    return false;
}

record_scanner::record_scanner(item_reader& reader, std::string& voce_letta, description_text text,
                               compile_diagnostics* diagnostics)
    : reader_(reader), voce_letta_(voce_letta), text_(text), diagnostics_(diagnostics) {}

void record_scanner::read_keyword() {
    voce_letta_ = reader_.read_text();
    keyword_at_ = reader_.last_item();
}

bool record_scanner::next_record(std::span<const keyword_row> rows, dash_rule dashes) {
    if (reader_.at_end()) return false;
    read_keyword();
    if (reader_.at_end()) {
        note(rows, "ultima voce del testo, mai letta");
        return false;
    }
    // Without the end test a replacement may be the last item, and is examined all the same.
    for (int n = 0; n < dashes.most && contains_exact(voce_letta_, "-"); ++n) {
        note(rows, "record nascosto dal trattino");
        read_keyword();
        if (dashes.end_test && reader_.at_end()) {
            note(rows, "ultima voce del testo, mai letta");
            return false;
        }
    }
    keyword_ = voce_letta_;
    values_.clear();
    value_offsets_.clear();
    return true;
}

template <class T>
T record_scanner::remembered(T value) {
    if (diagnostics_ != nullptr) {
        values_.push_back(value);
        value_offsets_.push_back(reader_.last_item_offset());
    }
    return value;
}

std::int32_t record_scanner::read_long() { return remembered(reader_.read_long()); }
std::int16_t record_scanner::read_integer() { return remembered(reader_.read_integer()); }
std::uint8_t record_scanner::read_byte() { return remembered(reader_.read_byte()); }

found_fault record_scanner::fault(fault_code code) const {
    found_fault fault;
    fault.code = code;
    fault.text = text_;
    fault.where = keyword_at_;
    fault.values = values_;
    return fault;
}

std::optional<source_location> record_scanner::value_at(std::size_t index) const {
    if (index >= value_offsets_.size()) return std::nullopt;
    return reader_.location_of(value_offsets_[index]);
}

void record_scanner::warn(std::string message) const {
    scenario::warn(diagnostics_, text_, keyword_at_, std::move(message));
}

void record_scanner::note(std::span<const keyword_row> rows, std::string_view what) const {
    if (diagnostics_ == nullptr || !is_keyword(rows, voce_letta_)) return;
    warn(std::string(what) + ": \"" + from_windows1252(voce_letta_) + "\"");
}

void record_scanner::note_record(const keyword_row& row) const {
    if (diagnostics_ == nullptr ||
        diagnostics_->records.size() >= compile_diagnostics::k_max_records) {
        return;
    }
    diagnostics_->records.push_back({record_at(), row.name, values_});
}

void record_scanner::note_unknown() const {
    if (diagnostics_ == nullptr) return;
    if (keyword_.empty() || is_section_header(keyword_) || is_whole_number(keyword_)) return;
    warn("voce non riconosciuta, ignorata: \"" + from_windows1252(keyword_) + "\"");
}

}  // namespace scenario
