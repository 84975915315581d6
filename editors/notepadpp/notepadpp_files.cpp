#include "notepadpp/notepadpp_files.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {
namespace {

// Notepad++ reads both files as XML; the lines end with CR LF, as on the machines they are for.
constexpr std::string_view k_eol = "\r\n";

std::string escaped(std::string_view text) {
    std::string result;
    for (const char c : text) {
        switch (c) {
            case '&':
                result += "&amp;";
                break;
            case '<':
                result += "&lt;";
                break;
            case '>':
                result += "&gt;";
                break;
            case '"':
                result += "&quot;";
                break;
            default:
                result += c;
        }
    }
    return result;
}

void line(std::string& out, int depth, std::string_view text) {
    out.append(static_cast<std::size_t>(depth) * 4, ' ');
    out += text;
    out += k_eol;
}

void header(std::string& out) { line(out, 0, R"(<?xml version="1.0" encoding="UTF-8" ?>)"); }

// A keyword of several words is quoted for the language, in single quotes so that its words
// must stand on one line.
std::string udl_word(std::string_view word) {
    if (word.find(' ') == std::string_view::npos) return std::string(word);
    return "'" + std::string(word) + "'";
}

std::string joined(const std::vector<std::string>& words) {
    std::string result;
    for (const std::string& word : words) {
        if (!result.empty()) result += ' ';
        result += word;
    }
    return result;
}

void keywords(std::string& out, std::string_view name, std::string_view words) {
    line(out, 3, "<Keywords name=\"" + std::string(name) + "\">" + escaped(words) + "</Keywords>");
}

struct style {
    std::string_view name;
    std::string_view colour;
    int font_style;  // 1 bold, 2 italic
};

// Keywords in bold blue, sections in bold maroon, numbers orange, texts green, commas grey.
void styles(std::string& out) {
    line(out, 2, "<Styles>");
    std::vector<style> table = {
        {"DEFAULT", "000000", 0}, {"COMMENTS", "008000", 0},  {"LINE COMMENTS", "008000", 0},
        {"NUMBERS", "FF8000", 0}, {"KEYWORDS1", "0000FF", 1},
    };
    for (const std::string_view name : {"KEYWORDS2", "KEYWORDS3", "KEYWORDS4", "KEYWORDS5",
                                        "KEYWORDS6", "KEYWORDS7", "KEYWORDS8"}) {
        table.push_back({name, "000000", 0});
    }
    table.push_back({"OPERATORS", "808080", 0});
    table.push_back({"FOLDER IN CODE1", "800000", 1});
    table.push_back({"FOLDER IN CODE2", "000000", 0});
    table.push_back({"FOLDER IN COMMENT", "000000", 0});
    table.push_back({"DELIMITERS1", "008000", 0});
    table.push_back({"DELIMITERS2", "008000", 0});
    for (const std::string_view name : {"DELIMITERS3", "DELIMITERS4", "DELIMITERS5", "DELIMITERS6",
                                        "DELIMITERS7", "DELIMITERS8"}) {
        table.push_back({name, "000000", 0});
    }
    for (const style& s : table) {
        line(out, 3,
             "<WordsStyle name=\"" + std::string(s.name) + "\" fgColor=\"" + std::string(s.colour) +
                 R"(" bgColor="FFFFFF" fontName="" fontStyle=")" + std::to_string(s.font_style) +
                 R"(" nesting="0" />)");
    }
    line(out, 2, "</Styles>");
}

}  // namespace

std::string user_defined_language(const editor_language& language) {
    std::vector<std::string> records;
    for (const editor_keyword& keyword : language.keywords) {
        records.push_back(udl_word(keyword.name));
    }
    const std::vector<std::string> middle(language.sections.begin() + 1,
                                          language.sections.end() - 1);

    std::string out;
    header(out);
    line(out, 0, "<NotepadPlus>");
    line(out, 1, "<UserLang name=\"" + escaped(language.name) + R"(" ext="" udlVersion="2.1">)");
    line(out, 2, "<Settings>");
    line(
        out, 3,
        std::string(R"(<Global caseIgnored=")") + (language.ignore_case ? "yes" : "no") +
            R"(" allowFoldOfComments="no" foldCompact="no" forcePureLC="0" decimalSeparator="0" />)");
    line(
        out, 3,
        R"(<Prefix Keywords1="no" Keywords2="no" Keywords3="no" Keywords4="no" Keywords5="no" Keywords6="no" Keywords7="no" Keywords8="no" />)");
    line(out, 2, "</Settings>");
    line(out, 2, "<KeywordLists>");
    // The texts have no comments.
    keywords(out, "Comments", "00 01 02 03 04");
    // A signed whole number: "-25".
    keywords(out, "Numbers, prefix1", "- +");
    for (const std::string_view name : {"Numbers, prefix2", "Numbers, extras1", "Numbers, extras2",
                                        "Numbers, suffix1", "Numbers, suffix2", "Numbers, range"}) {
        keywords(out, name, "");
    }
    keywords(out, "Operators1", ",");
    keywords(out, "Operators2", "");
    // A section runs from its header to the next one; the end marker closes the last.
    keywords(out, "Folders in code1, open", language.sections.front());
    keywords(out, "Folders in code1, middle", joined(middle));
    keywords(out, "Folders in code1, close", language.sections.back());
    for (const std::string_view name :
         {"Folders in code2, open", "Folders in code2, middle", "Folders in code2, close",
          "Folders in comment, open", "Folders in comment, middle", "Folders in comment, close"}) {
        keywords(out, name, "");
    }
    keywords(out, "Keywords1", joined(records));
    for (int i = 2; i <= 8; ++i) keywords(out, "Keywords" + std::to_string(i), "");
    // The sign texts in parentheses, "(INIZIO TRATTA)", and quoted text items.
    keywords(out, "Delimiters",
             "00( 01 02) 03\" 04 05\" 06 07 08 09 10 11 12 13 14 15 16 17 18 19 20 21 22 23");
    line(out, 2, "</KeywordLists>");
    styles(out);
    line(out, 1, "</UserLang>");
    line(out, 0, "</NotepadPlus>");
    return out;
}

std::string auto_completion(const editor_language& language) {
    std::string out;
    header(out);
    line(out, 0, "<NotepadPlus>");
    line(out, 1, "<AutoComplete language=\"" + escaped(language.name) + "\">");
    // A record's values follow its keyword after a comma and are parted by commas; the hint
    // shows them all when the comma after the keyword is typed. Nothing in a text ends a record
    // but the line end, which cannot be named here: ";" never appears in a text.
    line(out, 2,
         std::string(R"(<Environment ignoreCase=")") + (language.ignore_case ? "yes" : "no") +
             R"(" startFunc="," stopFunc=";" paramSeparator="," additionalWordChar="[]" />)");
    for (const std::string& word : completion_order(language)) {
        const auto keyword = std::find_if(language.keywords.begin(), language.keywords.end(),
                                          [&](const editor_keyword& k) { return k.name == word; });
        if (keyword == language.keywords.end()) {
            line(out, 2, "<KeyWord name=\"" + escaped(word) + "\" />");
            continue;
        }
        const record_kind_descriptor& record = describe(keyword->kind);
        line(out, 2, "<KeyWord name=\"" + escaped(word) + "\" func=\"yes\">");
        line(out, 3, "<Overload retVal=\"\" descr=\"" + escaped(record.section) + "\">");
        for (const std::string_view value : record.values) {
            line(out, 4, "<Param name=\"" + escaped(value) + "\" />");
        }
        line(out, 3, "</Overload>");
        line(out, 2, "</KeyWord>");
    }
    line(out, 1, "</AutoComplete>");
    line(out, 0, "</NotepadPlus>");
    return out;
}

}  // namespace scenario
