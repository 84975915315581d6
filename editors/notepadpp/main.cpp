// Writes the Notepad++ files of both description texts at build time:
//
//   scenario-notepadpp-files OUTDIR
//
// gives OUTDIR/userDefineLangs/NAME.xml and OUTDIR/autoCompletion/NAME.xml for the languages
// scenario-linea and scenario-treno, the folders named as Notepad++ names its own.
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "notepadpp/editor_keywords.h"
#include "notepadpp/notepadpp_files.h"

namespace {

void write(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: scenario-notepadpp-files OUTDIR\n";
        return 2;
    }
    try {
        const std::filesystem::path out = argv[1];
        for (const scenario::editor_language& language :
             {scenario::line_language(), scenario::train_language()}) {
            const std::string file = language.name + ".xml";
            write(out / "userDefineLangs" / file, scenario::user_defined_language(language));
            write(out / "autoCompletion" / file, scenario::auto_completion(language));
        }
    } catch (const std::exception& failure) {
        std::cerr << "scenario-notepadpp-files: " << failure.what() << "\n";
        return 1;
    }
    return 0;
}
