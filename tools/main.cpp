// scenario-tool: compiles description texts of any scenario with the program's own compiler and
// clear diagnostics, shows what the binary files hold, and draws the line. This file holds the
// usage block and the table of subcommands; it is the only place that ends the process.
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "tool.h"

namespace {

using scenario::tool::arguments;
using scenario::tool::streams;

constexpr std::string_view k_usage =
    "uso: scenario-tool COMANDO ARGOMENTI\n"
    "\n"
    "comandi:\n"
    "  compile DIR --line NOME --train CODICE [--out CARTELLA] [--no-geometry] [--json]\n"
    "      compila DIR/NOME_linea.txt e DIR/NOME_CODICE-.txt come fa il programma e scrive\n"
    "      i tre file binari in CARTELLA (di solito DIR); i testi dell'autore restano intatti\n"
    "  dump FILE [--json] [--all]\n"
    "      mostra il contenuto di un file binario: NOME_linea.dat (geometria),\n"
    "      NOME_CODICE.sim (testata) o NOME_CODICE.dat (celle)\n"
    "  plot DIR --line NOME --train CODICE -o FILE.svg\n"
    "      disegna la pianta e il profilo della linea dai file binari di DIR\n"
    "  help\n"
    "      mostra questo testo\n"
    "\n"
    "stato di uscita: 0 nessun errore, 1 errore registrato dal compilatore, 2 errore 1250 o\n"
    "1251 (nessun file binario scritto), 3 errore d'uso, di file o file binario danneggiato\n";

struct subcommand {
    std::string_view name;
    int (*run)(arguments, streams);
};

constexpr std::array<subcommand, 3> k_subcommands = {{
    {"compile", scenario::tool::compile_command},
    {"dump", scenario::tool::dump_command},
    {"plot", scenario::tool::plot_command},
}};

void print_error(std::ostream& err, std::string_view message) {
    err << "scenario-tool: errore: " << message << '\n';
}

int dispatch(const std::vector<std::string>& words, streams io) {
    if (words.empty()) throw scenario::tool::usage_error("manca il comando");
    const std::string& name = words.front();
    if (name == "help" || name == "--help" || name == "-h") {
        io.out << k_usage;
        return scenario::tool::k_status_ok;
    }
    for (const subcommand& command : k_subcommands) {
        if (command.name == name) {
            return command.run(arguments(words).subspan(1), io);
        }
    }
    throw scenario::tool::usage_error("comando sconosciuto: " + name);
}

// A report that did not reach standard output is a failure, whatever the command found.
int checked_output(int status, streams io) {
    io.out.flush();
    if (io.out && std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
    const int err = errno;
    print_error(io.err, std::string("scrittura sull'uscita standard non riuscita") +
                            (err != 0 ? std::string(": ") + std::strerror(err) : std::string()));
    return scenario::tool::k_status_failure;
}

// Before anything else, even the copy of the arguments.
void prepare() {
    scenario::platform::prepare_process(
        [] { scenario::platform::give_up("scenario-tool: errore: memoria esaurita"); });
}

int run_tool(const std::vector<std::string>& words) {
    const streams io{std::cout, std::cerr};
    try {
        errno = 0;
        return checked_output(dispatch(words, io), io);
    } catch (const scenario::tool::usage_error& e) {
        print_error(io.err, e.what());
        io.err << '\n' << k_usage;
    } catch (const scenario::tool::tool_failure& e) {
        print_error(io.err, e.what());
    } catch (const scenario::platform::file_error& e) {
        print_error(io.err, std::string("operazione su file non riuscita (") + e.what() + ")");
    } catch (const std::bad_alloc&) {
        print_error(io.err, "memoria esaurita");
    } catch (const std::exception& e) {
        print_error(io.err, std::string("errore interno: ") + e.what());
    }
    return scenario::tool::k_status_failure;
}

}  // namespace

#ifdef _WIN32
// Wide arguments, so that names such as "Metrò 2 - Zelnor" arrive whole; the tool works in UTF-8.
int wmain(int argc, wchar_t** argv) {
    prepare();
    std::vector<std::string> words;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::u8string word = std::filesystem::path(argv[i]).u8string();
            words.emplace_back(word.begin(), word.end());
        }
    } catch (const std::exception&) {
        print_error(std::cerr, "argomento non convertibile in UTF-8");
        return scenario::tool::k_status_failure;
    }
    return run_tool(words);
}
#else
int main(int argc, char** argv) {
    prepare();
    return run_tool(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
