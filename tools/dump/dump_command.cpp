// `scenario-tool dump`: reads one binary scenario file, tells its kind from the name's ending,
// decodes it with the output module's readers and prints it. A damaged file is reported with
// the byte offset the reader names, as a compiler-style error line or, with --json, as one JSON
// object; a cell file is also held against the header table beside it.
#include "dump/dump_command.h"

#include <fstream>
#include <optional>

#include "base/scenario_files.h"
#include "cli/command_line.h"
#include "dump/dump.h"
#include "output/binary_readers.h"

namespace scenario::tool {
namespace {

enum class binary_kind { geometry, header, cells };

std::string_view kind_name(binary_kind kind) {
    switch (kind) {
        case binary_kind::geometry:
            return "geometria";
        case binary_kind::header:
            return "testata";
        case binary_kind::cells:
            break;
    }
    return "celle";
}

// A file the readers refuse, and the header table it was held against when the fault lies
// between the two.
struct damaged_file {
    std::filesystem::path file;
    read_status status;
    std::optional<std::filesystem::path> header;
};

std::string damage_text(const damaged_file& d) {
    std::string text = display_path(d.file) + ": file danneggiato: " + d.status.describe();
    if (d.header) text += " (testata: " + display_path(*d.header) + ")";
    return text;
}

json damage_json(const damaged_file& d, binary_kind kind) {
    return damaged_file_json(kind_name(kind), display_path(d.file), d.status.offset, d.status.message,
                       d.header ? std::optional(display_path(*d.header)) : std::nullopt);
}

binary_kind kind_of(const std::string& name) {
    const auto kind =
        kind_by_ending(name, {file_kind::line_geometry, file_kind::header_table, file_kind::cells});
    if (kind == file_kind::line_geometry) return binary_kind::geometry;
    if (kind == file_kind::header_table) return binary_kind::header;
    if (kind == file_kind::cells) return binary_kind::cells;
    const auto ending = [](file_kind k) { return "\"" + std::string(file_ending(k)) + "\""; };
    throw usage_error("tipo di file sconosciuto: " + name + " (il nome deve finire con " +
                      ending(file_kind::line_geometry) + ", " + ending(file_kind::header_table) +
                      " o " + ending(file_kind::cells) + ")");
}

// The header table beside a cell file (same stem, ".sim"), when there is one that reads whole. A
// damaged one is named in a warning and left aside: the cells are then shown without it.
std::optional<testata> header_beside(const std::filesystem::path& beside, streams io) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(beside, ec)) return std::nullopt;
    testata header;
    const read_status status = leggi_testata(read_input_file(beside), header);
    if (status.ok) return header;
    io.err << "scenario-tool: avviso: " << display_path(beside)
           << ": file danneggiato: " << status.describe()
           << "; le celle sono mostrate senza la testata\n";
    return std::nullopt;
}

// A file read a block at a time where the walk asks, for the geometry, whose longest route's
// file is about 20 MB and would otherwise be held whole beside its points.
class input_file_source final : public byte_source {
   public:
    explicit input_file_source(const std::filesystem::path& file) : file_(file) {
        // The same refusals as a file read whole, for a file missing or a folder.
        std::error_code ec;
        if (!std::filesystem::exists(file, ec)) {
            throw tool_failure("file non trovato: " + display_path(file));
        }
        if (std::filesystem::is_directory(file, ec)) {
            throw tool_failure("è una cartella, non un file: " + display_path(file));
        }
        in_.open(file, std::ios::binary);
        size_ = std::filesystem::file_size(file, ec);
        if (!in_ || ec) fail();
    }

    std::size_t size() const override { return size_; }

    void read(std::size_t offset, std::span<char> into) const override {
        in_.seekg(static_cast<std::streamoff>(offset));
        in_.read(into.data(), static_cast<std::streamsize>(into.size()));
        // A file cut short while it is read is a failure of the read, not damage found.
        if (!in_ || static_cast<std::size_t>(in_.gcount()) != into.size()) fail();
    }

   private:
    [[noreturn]] void fail() const {
        throw tool_failure("lettura non riuscita (cannot read \"" + display_path(file_) + "\")");
    }

    std::filesystem::path file_;
    mutable std::ifstream in_;
    std::size_t size_ = 0;
};

// Checks the geometry whole, then prints it from further walks over the file.
void dump_geometry_file(const std::filesystem::path& file, bool all, bool as_json, streams io) {
    const input_file_source bytes(file);
    geometry_layout layout;
    if (const read_status s = verifica_geometria(bytes, layout); !s.ok)
        throw damaged_file{file, s, std::nullopt};
    const plan_file plan{bytes, layout};
    if (as_json)
        dump_geometry_json(plan, all, io.out);
    else
        dump_geometry_text(plan, all, io.out);
}

// Decodes and prints; throws damaged_file before printing anything.
void dump_file(binary_kind kind, const std::filesystem::path& file, bool all, bool as_json,
               streams io) {
    if (kind == binary_kind::geometry) return dump_geometry_file(file, all, as_json, io);
    const std::string bytes = read_input_file(file);
    if (kind == binary_kind::header) {
        testata header;
        if (const read_status s = leggi_testata(bytes, header); !s.ok)
            throw damaged_file{file, s, std::nullopt};
        if (as_json)
            write_json(io.out, dump_header_json(header));
        else
            dump_header_text(header, all, io.out);
    } else {
        celle cells;
        if (const read_status s = leggi_celle(bytes, cells); !s.ok)
            throw damaged_file{file, s, std::nullopt};
        // The header table beside the cells names the stations and signs they point to, and its
        // route length gives the number of cells.
        std::filesystem::path beside = file;
        beside.replace_extension(path_from_utf8(std::string(file_ending(file_kind::header_table))));
        const std::optional<testata> header = header_beside(beside, io);
        if (header) {
            const read_status s = verifica_celle_con_testata(cells.size(), *header);
            if (!s.ok) throw damaged_file{file, s, beside};
        }
        if (as_json)
            dump_cells_json(cells, header, all, io.out);
        else
            dump_cells_text(cells, header, all, io.out);
    }
}

}  // namespace

int dump_command(arguments args, streams io) {
    const parsed_arguments parsed = parse_arguments(args, {}, {"--json", "--all"});
    if (parsed.positional.size() != 1) throw usage_error("dump vuole un solo FILE");
    const std::string& name = parsed.positional.front();
    const binary_kind kind = kind_of(name);
    const std::filesystem::path file = path_argument(name);
    const bool as_json = parsed.has("--json");
    try {
        dump_file(kind, file, parsed.has("--all"), as_json, io);
    } catch (const damaged_file& d) {
        if (!as_json) throw tool_failure(damage_text(d));
        write_json(io.out, damage_json(d, kind));
        return k_exit_failure;
    }
    return k_exit_ok;
}

}  // namespace scenario::tool
