// File-system faults met by the program and by scenario-tool: a file name taken by a directory,
// a write that fails half-way (a file-size limit), an output directory that is not writable and
// a description text removed before it is read. Whatever fails, the run must say which file and
// why, end with a failure status, leave no temporary file and keep every earlier scenario file
// whole, except the ones the run had already replaced before the fault. (The program's own
// unwritable directory is covered by program_test.)
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <span>

#include "base/scenario_files.h"
#include "describe/descriptions.h"
#include "output/binary_files.h"
#include "output/binary_readers.h"
#include "run/run_sequence.h"
#include "testkit/test_support.h"

#ifndef _WIN32

namespace scenario {
namespace {

using testing::read_bytes;
using testing::run_process;
using testing::scratch_directory;
using testing::write_bytes;

const std::string k_line(k_nome_linea);
const std::string k_train(k_codice_treno);

// The eight files in the order a run of the program writes them.
constexpr std::array<file_kind, 8> k_run_order = {
    file_kind::line_description,
    file_kind::train_description,
    file_kind::notes,
    file_kind::slow_order_sheet,
    file_kind::timetable_sheet,
    file_kind::line_geometry,
    file_kind::header_table,
    file_kind::cells,
};
constexpr std::array<file_kind, 3> k_binary_order = {file_kind::line_geometry,
                                                     file_kind::header_table, file_kind::cells};

std::string name_of(file_kind kind) { return scenario_file_name(k_line, k_train, kind); }

std::filesystem::path file_in(const std::filesystem::path& dir, file_kind kind) {
    return dir / path_from_utf8(name_of(kind));
}

// Distinct earlier contents, so that a file that was replaced or cut short cannot pass for whole.
std::string earlier_content(file_kind kind) { return "earlier content of " + name_of(kind); }

void write_earlier(const std::filesystem::path& dir, std::span<const file_kind> kinds) {
    for (const file_kind kind : kinds) write_bytes(file_in(dir, kind), earlier_content(kind));
}

bool holds_earlier(const std::filesystem::path& dir, file_kind kind) {
    return std::filesystem::is_regular_file(file_in(dir, kind)) &&
           read_bytes(file_in(dir, kind)) == earlier_content(kind);
}

std::vector<std::string> temporary_files(const std::filesystem::path& dir) {
    std::vector<std::string> found;
    for (const std::string& name : testing::file_names(dir)) {
        if (name.ends_with(".tmp")) found.push_back(name);
    }
    return found;
}

std::size_t occurrences(const std::string& text, const std::string& piece) {
    std::size_t count = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
        ++count;
    }
    return count;
}

// A scenario directory holding a copy of the program, open to every user.
std::filesystem::path install_program(const scratch_directory& dir) {
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    const auto target = dir.path() / "zelnor-scenario";
    std::filesystem::copy_file(SCENARIO_PROGRAM_PATH, target);
    return target;
}

// The program's failure report: exactly one line naming the file and the reason.
void expect_one_report(const testing::process_result& result, file_kind kind,
                       const std::string& reason) {
    EXPECT_EQ(result.exit_status, k_exit_failure) << result.standard_error;
    EXPECT_EQ(occurrences(result.standard_error, "zelnor-scenario: "), 1u) << result.standard_error;
    EXPECT_EQ(occurrences(result.standard_error, name_of(kind)), 1u) << result.standard_error;
    EXPECT_NE(result.standard_error.find(reason), std::string::npos) << result.standard_error;
}

// Every file the run reaches after the failing one still holds its earlier bytes; the
// description texts are gone once the compile has consumed them.
void expect_later_files_whole(const std::filesystem::path& dir, std::size_t failing) {
    for (std::size_t i = failing + 1; i < k_run_order.size(); ++i) {
        EXPECT_TRUE(holds_earlier(dir, k_run_order[i])) << name_of(k_run_order[i]);
    }
    if (failing >= 5) {
        EXPECT_FALSE(std::filesystem::exists(file_in(dir, file_kind::line_description)));
        EXPECT_FALSE(std::filesystem::exists(file_in(dir, file_kind::train_description)));
    }
    EXPECT_EQ(temporary_files(dir), std::vector<std::string>{});
}

TEST(FileFaults, ProgramMeetsADirectoryUnderEachFileName) {
    for (std::size_t failing = 0; failing < k_run_order.size(); ++failing) {
        SCOPED_TRACE(name_of(k_run_order[failing]));
        scratch_directory dir;
        const auto program = install_program(dir);
        for (std::size_t i = 0; i < k_run_order.size(); ++i) {
            if (i != failing) write_earlier(dir.path(), std::span(&k_run_order[i], 1));
        }
        const auto blocker = file_in(dir.path(), k_run_order[failing]);
        std::filesystem::create_directory(blocker);

        const auto result = run_process(program, {}, {.working_directory = "/"});
        expect_one_report(result, k_run_order[failing], "Is a directory");
        EXPECT_TRUE(std::filesystem::is_directory(blocker));
        expect_later_files_whole(dir.path(), failing);
    }
}

TEST(FileFaults, ProgramWriteThatFailsHalfWayKeepsTheEarlierBinaryFiles) {
    scratch_directory dir;
    const auto program = install_program(dir);
    write_earlier(dir.path(), k_run_order);

    // The five texts stay below 20 KB; the plan of the line is far above.
    testing::process_options limited;
    limited.file_size_limit = 20000;
    const auto result = run_process(program, {}, limited);
    expect_one_report(result, file_kind::line_geometry, "File too large");
    expect_later_files_whole(dir.path(), 5);
    EXPECT_TRUE(holds_earlier(dir.path(), file_kind::line_geometry));
    for (const file_kind kind :
         {file_kind::notes, file_kind::slow_order_sheet, file_kind::timetable_sheet}) {
        EXPECT_FALSE(holds_earlier(dir.path(), kind)) << "written before the fault";
    }
}

// A description text that vanishes between its writing and the compile, or cannot be read back,
// is a failure of the machine, not a fault of the text: the run ends with the file and the
// reason, both texts are gone and every earlier binary file stays as it was.
TEST(FileFaults, ProgramDescriptionTextThatCannotBeReadBack) {
    struct read_back_case {
        file_kind text;
        bool replaced_by_directory;  // unreadable; otherwise removed
        std::string reason;
    };
    const read_back_case cases[] = {
        {file_kind::line_description, false, "No such file or directory"},
        {file_kind::train_description, false, "No such file or directory"},
        {file_kind::train_description, true, "Is a directory"},
    };
    for (const read_back_case& c : cases) {
        SCOPED_TRACE(name_of(c.text) + (c.replaced_by_directory ? " (directory)" : ""));
        scratch_directory dir;
        write_earlier(dir.path(), k_binary_order);
        Form1 form;
        form.interactive = false;
        form.state = testing::state_in(dir.path());
        dati_linea(form.state);
        dati_treno(form.state);
        std::filesystem::remove(file_in(dir.path(), c.text));
        if (c.replaced_by_directory) std::filesystem::create_directory(file_in(dir.path(), c.text));

        try {
            form.memorizza_percorso(1);
            ADD_FAILURE() << "the run went on";
        } catch (const platform::file_error& e) {
            EXPECT_EQ(e.file(), file_in(dir.path(), c.text));
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
        for (const file_kind kind : k_binary_order) {
            EXPECT_TRUE(holds_earlier(dir.path(), kind)) << name_of(kind);
        }
        for (const file_kind text : {file_kind::line_description, file_kind::train_description}) {
            EXPECT_FALSE(std::filesystem::is_regular_file(file_in(dir.path(), text)));
        }
        EXPECT_EQ(temporary_files(dir.path()), std::vector<std::string>{});
    }
}

// scenario-tool, when this build has it.
std::optional<std::filesystem::path> tool_program() {
#ifdef SCENARIO_TOOL_PATH
    return std::filesystem::path(SCENARIO_TOOL_PATH);
#else
    return std::nullopt;
#endif
}

// An author's directory with the program's two texts, and an output directory beside it, both
// open to every user; the output directory holds earlier binary files.
struct author_setup {
    scratch_directory root;
    std::filesystem::path texts = root.path() / "testi";
    std::filesystem::path out = root.path() / "uscita";
    std::string line_text;
    std::string train_text;

    author_setup() {
        std::filesystem::permissions(root.path(), std::filesystem::perms::all);
        std::filesystem::create_directory(texts);
        std::filesystem::create_directory(out);
        run_state state = testing::state_in(texts);
        dati_linea(state);
        dati_treno(state);
        line_text = read_bytes(file_in(texts, file_kind::line_description));
        train_text = read_bytes(file_in(texts, file_kind::train_description));
        write_earlier(out, k_binary_order);
    }

    std::vector<std::string> compile_arguments(bool geometry = true) const {
        std::vector<std::string> args = {"compile", texts.string(), "--line", k_line,
                                         "--train", k_train,        "--out",  out.string()};
        if (!geometry) args.push_back("--no-geometry");
        return args;
    }

    // The tool only reads the author's texts: whatever happens, they stay as they were.
    void expect_texts_untouched() const {
        for (const auto& [kind, text] : {std::pair{file_kind::line_description, &line_text},
                                         std::pair{file_kind::train_description, &train_text}}) {
            if (std::filesystem::is_regular_file(file_in(texts, kind))) {
                EXPECT_EQ(read_bytes(file_in(texts, kind)), *text) << name_of(kind);
            }
        }
    }
};

// The tool's failure report: exit 3 and exactly one error line naming the file and the reason.
void expect_tool_failure(const testing::process_result& result, const std::string& file_name,
                         const std::string& reason) {
    EXPECT_EQ(result.exit_status, 3) << result.standard_error;
    EXPECT_EQ(occurrences(result.standard_error, "scenario-tool: errore: "), 1u)
        << result.standard_error;
    EXPECT_EQ(occurrences(result.standard_error, file_name), 1u) << result.standard_error;
    EXPECT_NE(result.standard_error.find(reason), std::string::npos) << result.standard_error;
}

// A copy of the tool in a folder every user can reach and none but its owner can change: the
// build tree may lie in a home that is closed to other users.
std::filesystem::path install_tool(const scratch_directory& dir,
                                   const std::filesystem::path& tool) {
    using std::filesystem::perms;
    std::filesystem::permissions(dir.path(), perms::owner_all | perms::group_read |
                                                 perms::group_exec | perms::others_read |
                                                 perms::others_exec);
    const auto target = dir.path() / tool.filename();
    std::filesystem::copy_file(tool, target);
    return target;
}

TEST(FileFaults, ToolOutputDirectoryNotWritable) {
    const auto built_tool = tool_program();
    if (!built_tool) GTEST_SKIP() << "scenario-tool is not part of this build";
    scratch_directory tool_directory;
    const auto tool = install_tool(tool_directory, *built_tool);
    author_setup author;
    std::filesystem::permissions(
        author.out, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                        std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                        std::filesystem::perms::others_exec);
    testing::process_options as_nobody;
    as_nobody.unprivileged = true;

    const auto result = run_process(tool, author.compile_arguments(), as_nobody);
    expect_tool_failure(result, name_of(file_kind::line_geometry), "Permission denied");
    for (const file_kind kind : k_binary_order) {
        EXPECT_TRUE(holds_earlier(author.out, kind)) << name_of(kind);
    }
    EXPECT_EQ(temporary_files(author.out), std::vector<std::string>{});
    author.expect_texts_untouched();
}

TEST(FileFaults, ToolMeetsADirectoryUnderEachBinaryName) {
    const auto tool = tool_program();
    if (!tool) GTEST_SKIP() << "scenario-tool is not part of this build";
    for (std::size_t failing = 0; failing < k_binary_order.size(); ++failing) {
        SCOPED_TRACE(name_of(k_binary_order[failing]));
        author_setup author;
        const auto blocker = file_in(author.out, k_binary_order[failing]);
        std::filesystem::remove(blocker);
        std::filesystem::create_directory(blocker);

        const auto result = run_process(*tool, author.compile_arguments(), {});
        expect_tool_failure(result, name_of(k_binary_order[failing]), "Is a directory");
        EXPECT_TRUE(std::filesystem::is_directory(blocker));
        // Found before any rename: the other two keep their earlier bytes.
        for (std::size_t i = 0; i < k_binary_order.size(); ++i) {
            if (i != failing) EXPECT_TRUE(holds_earlier(author.out, k_binary_order[i]));
        }
        EXPECT_EQ(temporary_files(author.out), std::vector<std::string>{});
        author.expect_texts_untouched();
    }
}

TEST(FileFaults, ToolMeetsADirectoryUnderADescriptionTextName) {
    const auto tool = tool_program();
    if (!tool) GTEST_SKIP() << "scenario-tool is not part of this build";
    for (const file_kind taken : {file_kind::line_description, file_kind::train_description}) {
        SCOPED_TRACE(name_of(taken));
        author_setup author;
        std::filesystem::remove(file_in(author.texts, taken));
        std::filesystem::create_directory(file_in(author.texts, taken));

        const auto result = run_process(*tool, author.compile_arguments(), {});
        expect_tool_failure(result, name_of(taken), "cartella");
        for (const file_kind kind : k_binary_order) {
            EXPECT_TRUE(holds_earlier(author.out, kind)) << name_of(kind);
        }
        author.expect_texts_untouched();
    }
}

TEST(FileFaults, ToolWriteThatFailsHalfWay) {
    const auto tool = tool_program();
    if (!tool) GTEST_SKIP() << "scenario-tool is not part of this build";
    struct limit_case {
        long limit;
        bool geometry;
        file_kind failing;
    };
    // The header table takes about 3 KB, the cells about 9 KB, the plan of the line far more. The
    // three files are one set: a fault in any of them leaves the whole earlier set.
    const limit_case cases[] = {
        {20000, true, file_kind::line_geometry},
        {5000, false, file_kind::cells},
    };
    for (const limit_case& c : cases) {
        SCOPED_TRACE(name_of(c.failing));
        author_setup author;
        testing::process_options limited;
        limited.file_size_limit = c.limit;

        const auto result = run_process(*tool, author.compile_arguments(c.geometry), limited);
        expect_tool_failure(result, name_of(c.failing), "File too large");
        for (const file_kind kind : k_binary_order) {
            EXPECT_TRUE(holds_earlier(author.out, kind)) << name_of(kind);
        }
        EXPECT_EQ(temporary_files(author.out), std::vector<std::string>{});
        author.expect_texts_untouched();
    }
}

// Unlike the program, the tool tells the author: the recorded code with the missing file's name.
// A text the command line names that is not in DIR ends the tool before the compile: nothing is
// written, and the message lists the texts that are there.
TEST(FileFaults, ToolDescriptionTextMissing) {
    const auto tool = tool_program();
    if (!tool) GTEST_SKIP() << "scenario-tool is not part of this build";
    struct missing_case {
        file_kind missing;
        std::string_view words;
    };
    const missing_case cases[] = {
        {file_kind::line_description, "testo della linea non trovato: "},
        {file_kind::train_description, "testo del treno non trovato: "},
    };
    for (const missing_case& c : cases) {
        SCOPED_TRACE(name_of(c.missing));
        author_setup author;
        std::filesystem::remove(file_in(author.texts, c.missing));

        const auto result = run_process(*tool, author.compile_arguments(), {});
        EXPECT_EQ(result.exit_status, 3) << result.standard_error;
        const std::string diagnostic = "scenario-tool: errore: " + std::string(c.words) +
                                       (author.texts / path_from_utf8(name_of(c.missing))).string();
        EXPECT_EQ(occurrences(result.standard_error, diagnostic), 1u) << result.standard_error;
        for (const file_kind kind : k_binary_order) {
            EXPECT_TRUE(holds_earlier(author.out, kind)) << name_of(kind);
        }
        EXPECT_EQ(temporary_files(author.out), std::vector<std::string>{});
        author.expect_texts_untouched();
    }
}

}  // namespace
}  // namespace scenario

#endif
