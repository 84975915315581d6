// Where the editor's texts are: file URIs and paths, which scenario a text belongs to by its
// name (NAME_linea.txt, NAME_CODE-.txt), and the texts a folder holds on disk.
#pragma once

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "compile/description_source.h"

namespace scenario::tool {

// The path of a file URI ("file:///home/a/Metr%C3%B2_linea.txt", "file:///c%3A/a/x.txt");
// nothing for any other URI.
std::optional<std::filesystem::path> path_of_uri(std::string_view uri);
// The file URI of a path, every byte but the unreserved ones and "/" percent-encoded.
std::string uri_of_path(const std::filesystem::path& path);

// Which description text a file is, by its name alone.
struct text_name {
    description_text kind = description_text::line;
    std::filesystem::path folder;
    std::string file_name;  // UTF-8
    // A line text's NAME; for a train text, everything before "-.txt" (NAME_CODE), which is
    // split once the line texts of its folder are known.
    std::string stem;
};
std::optional<text_name> name_of_text(const std::filesystem::path& path);

// NAME and CODE of a train text's stem: the longest NAME of `lines` such that the stem is
// NAME_CODE with CODE not empty.
struct train_names {
    std::string line;
    std::string train;
};
std::optional<train_names> split_train(std::string_view stem, const std::set<std::string>& lines);

// The description texts of a folder on disk: the NAMEs of its line texts, the file names of its
// train texts.
struct folder_texts {
    std::set<std::string> lines;
    std::set<std::string> trains;
};
folder_texts texts_on_disk(const std::filesystem::path& folder);

}  // namespace scenario::tool
