#include "lsp/workspace.h"

#include <cctype>
#include <system_error>

#include "base/scenario_files.h"
#include "cli/command_line.h"

namespace scenario::tool {
namespace {

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool unreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '-' || c == '.' || c == '_' || c == '~';
}

std::optional<std::string> percent_decoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = hex_value(text[i + 1]);
        const int low = hex_value(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

bool drive_letter(std::string_view s) {
    return s.size() >= 2 && ((s[0] >= 'a' && s[0] <= 'z') || (s[0] >= 'A' && s[0] <= 'Z')) &&
           s[1] == ':';
}

}  // namespace

std::optional<std::filesystem::path> path_of_uri(std::string_view uri) {
    constexpr std::string_view scheme = "file://";
    if (uri.size() < scheme.size()) return std::nullopt;
    for (std::size_t i = 0; i < scheme.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(uri[i])) != scheme[i]) return std::nullopt;
    }
    std::string_view rest = uri.substr(scheme.size());
    // The authority: empty or "localhost" for a file of this machine.
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::string_view authority = rest.substr(0, slash);
    if (!authority.empty() && authority != "localhost") return std::nullopt;
    rest = rest.substr(slash);
    if (const std::size_t end = rest.find_first_of("?#"); end != std::string_view::npos) {
        rest = rest.substr(0, end);
    }
    std::optional<std::string> decoded = percent_decoded(rest);
    if (!decoded || decoded->find('\0') != std::string::npos) return std::nullopt;
    // "/c:/a/b" names "c:/a/b" on Windows.
    if (decoded->size() >= 3 && drive_letter(std::string_view(*decoded).substr(1))) {
        decoded->erase(0, 1);
    }
    return path_argument(*decoded);
}

std::string uri_of_path(const std::filesystem::path& path) {
    std::string generic = display_path(path);
    for (char& c : generic) {
        if (c == '\\') c = '/';
    }
    if (drive_letter(generic)) generic.insert(0, "/");
    std::string uri = "file://";
    static constexpr char k_hex[] = "0123456789ABCDEF";
    for (const char ch : generic) {
        const auto c = static_cast<unsigned char>(ch);
        if (unreserved(c) || c == '/') {
            uri += ch;
        } else {
            uri += '%';
            uri += k_hex[c >> 4];
            uri += k_hex[c & 15];
        }
    }
    return uri;
}

std::optional<text_name> name_of_text(const std::filesystem::path& path) {
    text_name name;
    name.folder = path.parent_path();
    name.file_name = display_path(path.filename());
    const auto kind = kind_by_ending(
        name.file_name, {file_kind::line_description, file_kind::train_description});
    if (!kind) return std::nullopt;
    if (*kind == file_kind::line_description) {
        name.kind = description_text::line;
        name.stem = name.file_name.substr(
            0, name.file_name.size() - file_ending(file_kind::line_description).size());
    } else {
        name.kind = description_text::train;
        name.stem = name.file_name.substr(
            0, name.file_name.size() - file_ending(file_kind::train_description).size());
    }
    return name;
}

std::optional<train_names> split_train(std::string_view stem, const std::set<std::string>& lines) {
    std::optional<train_names> best;
    for (std::size_t underscore = stem.find('_'); underscore != std::string_view::npos;
         underscore = stem.find('_', underscore + 1)) {
        if (underscore + 1 >= stem.size()) break;
        const std::string line(stem.substr(0, underscore));
        if (lines.count(line) != 0) best = train_names{line, std::string(stem.substr(underscore + 1))};
    }
    return best;
}

folder_texts texts_on_disk(const std::filesystem::path& folder) {
    folder_texts found;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::optional<text_name> name = name_of_text(it->path());
        if (!name) continue;
        if (name->kind == description_text::line) {
            found.lines.insert(name->stem);
        } else {
            found.trains.insert(name->file_name);
        }
    }
    return found;
}

}  // namespace scenario::tool
