// The tool's --json views are built as nlohmann-json documents: objects keep their members in
// the order they were added, and a document goes out compact, on one line. Texts must be UTF-8;
// a byte that is not valid UTF-8 is written as U+FFFD, so the output is always valid JSON. Names
// held as Windows-1252 bytes go through windows1252_json first.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "base/windows1252.h"

namespace scenario::tool {

using json = nlohmann::ordered_json;

// One document on one line, then a line end.
inline void write_json(std::ostream& out, const json& document) {
    out << document.dump(-1, ' ', false, json::error_handler_t::replace) << '\n';
}

// The object a damaged binary file is reported as, by every command that reads one: its kind
// ("geometria", "testata", "celle"), the file, the byte offset and message of the fault, and the
// header table it was held against (null when none).
inline json damaged_file_json(std::string_view kind, const std::string& file, std::size_t offset,
                        const std::string& message, const std::optional<std::string>& header) {
    json document;
    document["tipo"] = kind;
    document["file"] = file;
    document["danneggiato"] = true;
    document["offset"] = offset;
    document["message"] = message;
    document["testata"] = header ? json(*header) : json(nullptr);
    return document;
}

// One document written a member at a time, in the same bytes write_json gives for the whole:
// a view as large as the longest route's every point or every cell is never held together.
// The members of a large array go out a piece at a time, each piece a few hundred elements
// dumped together and stripped of its brackets.
class json_object_writer {
   public:
    explicit json_object_writer(std::ostream& out) : out_(out) { out_ << '{'; }

    void member(std::string_view key, const json& value) {
        name(key);
        out_ << dumped(value);
    }

    // The array member `key`, its elements handed one at a time by `each`, which is called
    // with a function that takes one element.
    template <typename Each>
    void array_member(std::string_view key, Each each) {
        name(key);
        out_ << '[';
        json piece = json::array();
        bool first = true;
        const auto flush = [&] {
            if (piece.empty()) return;
            const std::string text = dumped(piece);
            if (!first) out_ << ',';
            out_.write(text.data() + 1, static_cast<std::streamsize>(text.size() - 2));
            first = false;
            piece = json::array();
        };
        each([&](json element) {
            piece.push_back(std::move(element));
            if (piece.size() == k_piece) flush();
        });
        flush();
        out_ << ']';
    }

    // The closing brace and the line end.
    void close() { out_ << "}\n"; }

   private:
    static constexpr std::size_t k_piece = 512;

    static std::string dumped(const json& value) {
        return value.dump(-1, ' ', false, json::error_handler_t::replace);
    }
    void name(std::string_view key) {
        if (!first_member_) out_ << ',';
        first_member_ = false;
        out_ << dumped(json(key)) << ':';
    }

    std::ostream& out_;
    bool first_member_ = true;
};

// A text held as Windows-1252 bytes.
inline json windows1252_json(std::string_view bytes) { return from_windows1252(bytes); }

// The value, or null when there is none.
template <typename T>
json value_or_null(const std::optional<T>& value) {
    return value ? json(*value) : json(nullptr);
}

}  // namespace scenario::tool
