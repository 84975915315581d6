// Tests of the Notepad++ files the build generates, read back as a user's Notepad++ gets them:
// every record of each text's keyword table is offered with its values in order, the program's
// own spellings are there, nothing is offered that the compiler would not run, the sections
// fold, and the completion list is in the order Notepad++ searches it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <optional>
#include <ostream>
#include <regex>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "base/geometria.h"
#include "base/record_kinds.h"
#include "compile/compile_support.h"
#include "compile/line_geometry.h"
#include "compile/line_records.h"
#include "compile/record_scanner.h"
#include "compile/train_records.h"
#include "describe/descriptions.h"

namespace scenario {
namespace {

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << "cannot read " << path;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string unescaped(std::string text) {
    for (const auto& [entity, c] :
         {std::pair{"&quot;", "\""}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}}) {
        for (std::size_t at = text.find(entity); at != std::string::npos;
             at = text.find(entity, at + 1)) {
            text.replace(at, std::string_view(entity).size(), c);
        }
    }
    return text;
}

std::optional<std::string> attribute(const std::string& tag, std::string_view name) {
    std::smatch found;
    const std::regex pattern(" " + std::string(name) + "=\"([^\"]*)\"");
    if (!std::regex_search(tag, found, pattern)) return std::nullopt;
    return unescaped(found[1]);
}

struct completion_word {
    std::string name;
    bool function = false;
    std::string description;
    std::vector<std::string> values;
};

struct completion_file {
    bool ignore_case = false;
    std::vector<completion_word> words;

    const completion_word* find(std::string_view name) const {
        const auto at = std::find_if(words.begin(), words.end(),
                                     [&](const completion_word& w) { return w.name == name; });
        return at == words.end() ? nullptr : &*at;
    }
};

completion_file read_completion(const std::string& text) {
    completion_file file;
    std::smatch environment;
    EXPECT_TRUE(std::regex_search(text, environment, std::regex("<Environment [^>]*>")));
    file.ignore_case = attribute(environment.str(), "ignoreCase") == "yes";
    const std::regex keyword("<KeyWord [^>]*?(/>|>([\\s\\S]*?)</KeyWord>)");
    const std::regex param("<Param [^>]*>");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), keyword);
         it != std::sregex_iterator(); ++it) {
        const std::string whole = it->str();
        const std::string tag = whole.substr(0, whole.find('>') + 1);
        completion_word word;
        word.name = attribute(tag, "name").value_or("");
        word.function = attribute(tag, "func") == "yes";
        const std::string body = (*it)[2];
        std::smatch overload;
        if (std::regex_search(body, overload, std::regex("<Overload [^>]*>"))) {
            word.description = attribute(overload.str(), "descr").value_or("");
        }
        for (auto p = std::sregex_iterator(body.begin(), body.end(), param);
             p != std::sregex_iterator(); ++p) {
            word.values.push_back(attribute(p->str(), "name").value_or(""));
        }
        file.words.push_back(std::move(word));
    }
    return file;
}

// The words of one keyword list of the user-defined language; a quoted keyword of several
// words is one word.
std::vector<std::string> udl_list(const std::string& text, std::string_view name) {
    std::smatch found;
    const std::regex pattern("<Keywords name=\"" + std::string(name) + "\">([^<]*)</Keywords>");
    EXPECT_TRUE(std::regex_search(text, found, pattern)) << "no list " << name;
    std::vector<std::string> words;
    const std::string list = unescaped(found[1]);
    const std::regex word("'([^']*)'|(\\S+)");
    for (auto it = std::sregex_iterator(list.begin(), list.end(), word);
         it != std::sregex_iterator(); ++it) {
        words.push_back((*it)[1].matched ? (*it)[1].str() : (*it)[2].str());
    }
    return words;
}

bool holds(const std::vector<std::string>& words, std::string_view word) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

std::string first_item(std::string_view line) {
    line = line.substr(0, line.find(','));
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    return std::string(line);
}

// The keywords an author types for a record: its name, or for a curve its side and class.
std::vector<std::string> names_of(record_kind kind) {
    if (kind != record_kind::curve) return {std::string(record_name(kind))};
    std::vector<std::string> names;
    for (const curve_class& c : k_curve_classes) {
        for (const char* side : {"d", "s"}) {
            names.push_back(std::string(record_name(kind)) + side + std::string(c.digit));
        }
    }
    return names;
}

struct text_case {
    const char* language;
    std::span<const keyword_row> rows;
    std::span<const std::string_view> program_text;

    friend void PrintTo(const text_case& c, std::ostream* out) { *out << c.language; }
};

class NotepadppFiles : public testing::TestWithParam<text_case> {
   protected:
    void SetUp() override {
        const std::string directory = SCENARIO_NOTEPADPP_DIRECTORY;
        const std::string name = std::string(GetParam().language) + ".xml";
        completion_ = read_completion(read_file(directory + "/autoCompletion/" + name));
        udl_ = read_file(directory + "/userDefineLangs/" + name);
        ASSERT_FALSE(completion_.words.empty());
        ASSERT_NE(udl_.find("<UserLang name=\"" + std::string(GetParam().language) + "\""),
                  std::string::npos);
    }
    completion_file completion_;
    std::string udl_;
};

TEST_P(NotepadppFiles, OfferEveryRecordOfTheKeywordTableWithItsValues) {
    const std::vector<std::string> highlighted = udl_list(udl_, "Keywords1");
    for (const keyword_row& row : GetParam().rows) {
        const record_kind_descriptor& record = describe(row.record);
        for (const std::string& name : names_of(row.record)) {
            SCOPED_TRACE(name);
            const completion_word* word = completion_.find(name);
            ASSERT_NE(word, nullptr) << "not offered";
            EXPECT_TRUE(word->function);
            EXPECT_EQ(word->values,
                      std::vector<std::string>(record.values.begin(), record.values.end()));
            EXPECT_EQ(word->description, record.section);
            EXPECT_TRUE(holds(highlighted, name)) << "not highlighted";
        }
    }
}

TEST_P(NotepadppFiles, OfferTheKeywordsAsTheProgramsOwnTextWritesThem) {
    const std::vector<std::string> highlighted = udl_list(udl_, "Keywords1");
    for (const std::string_view line : GetParam().program_text) {
        const std::string item = first_item(line);
        if (!is_keyword(GetParam().rows, item)) continue;
        SCOPED_TRACE(item);
        const completion_word* word = completion_.find(item);
        ASSERT_NE(word, nullptr) << "not offered";
        EXPECT_TRUE(word->function);
        EXPECT_TRUE(holds(highlighted, item)) << "not highlighted";
    }
}

TEST_P(NotepadppFiles, OfferOnlyKeywordsTheCompilerRuns) {
    std::vector<std::string> offered = udl_list(udl_, "Keywords1");
    for (const completion_word& word : completion_.words) {
        if (word.function) offered.push_back(word.name);
    }
    for (const std::string& name : offered) {
        SCOPED_TRACE(name);
        const auto row = std::find_if(GetParam().rows.begin(), GetParam().rows.end(),
                                      [&](const keyword_row& r) { return passes(r, name); });
        ASSERT_NE(row, GetParam().rows.end()) << "no record of this text runs it";
        if (row->record == record_kind::curve) {
            EXPECT_TRUE(curvature(name).has_value()) << "a curve the compiler cannot trace";
        }
    }
}

TEST_P(NotepadppFiles, OfferAndFoldEverySection) {
    std::vector<std::string> headers;
    for (const std::string_view line : GetParam().program_text) {
        if (is_section_header(first_item(line))) headers.push_back(first_item(line));
    }
    ASSERT_GE(headers.size(), 2u);
    const std::vector<std::string> open = udl_list(udl_, "Folders in code1, open");
    const std::vector<std::string> middle = udl_list(udl_, "Folders in code1, middle");
    const std::vector<std::string> close = udl_list(udl_, "Folders in code1, close");
    EXPECT_EQ(open, std::vector<std::string>{headers.front()});
    EXPECT_EQ(close, std::vector<std::string>{headers.back()});
    for (const keyword_row& row : GetParam().rows) {
        headers.emplace_back(describe(row.record).section);
    }
    for (const std::string& header : headers) {
        SCOPED_TRACE(header);
        const completion_word* word = completion_.find(header);
        ASSERT_NE(word, nullptr) << "not offered";
        EXPECT_FALSE(word->function);
        EXPECT_TRUE(holds(open, header) || holds(middle, header) || holds(close, header))
            << "does not fold";
    }
}

// Notepad++ needs the list sorted, by upper-case bytes when case is ignored: an unsorted list
// loses words without a warning.
TEST_P(NotepadppFiles, ListCompletionsInTheOrderNotepadppSearches) {
    const bool any_case =
        std::all_of(GetParam().rows.begin(), GetParam().rows.end(),
                    [](const keyword_row& r) { return r.match == keyword_case::any; });
    EXPECT_EQ(completion_.ignore_case, any_case);
    std::smatch global;
    ASSERT_TRUE(std::regex_search(udl_, global, std::regex("<Global [^>]*>")));
    EXPECT_EQ(attribute(global.str(), "caseIgnored"), any_case ? "yes" : "no");
    const auto key = [&](std::string word) {
        if (completion_.ignore_case) {
            for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        return word;
    };
    for (std::size_t i = 1; i < completion_.words.size(); ++i) {
        EXPECT_LT(key(completion_.words[i - 1].name), key(completion_.words[i].name))
            << "at " << completion_.words[i].name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NotepadppFiles,
    testing::Values(text_case{"scenario-linea", k_line_records, line_description_table()},
                    text_case{"scenario-treno", k_train_records, train_description_table()}),
    [](const testing::TestParamInfo<text_case>& info) {
        return std::string(info.param.language) == "scenario-linea" ? "line" : "train";
    });

}  // namespace
}  // namespace scenario
