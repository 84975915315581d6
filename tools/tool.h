// Shared pieces of scenario-tool, the companion program for scenario authors: the whole tool as
// one call, its subcommands, the way they fail, and the small argument parser they share.
// Everything returns the exit status and writes only to the streams it is given; only main ends
// the process.
#pragma once

#include <filesystem>
#include <map>
#include <ostream>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::tool {

// Exit statuses of the tool.
inline constexpr int k_status_ok = 0;
inline constexpr int k_status_fault = 1;     // a compile fault was recorded
inline constexpr int k_status_identity = 2;  // 1250 or 1251: no binary file written
inline constexpr int k_status_failure = 3;   // usage, file or damaged-file error

// What `scenario-tool help` prints, and what follows a usage error.
inline constexpr std::string_view k_usage =
    "uso: scenario-tool COMANDO ARGOMENTI\n"
    "\n"
    "comandi:\n"
    "  compile DIR --line NOME --train CODICE [--out CARTELLA] [--no-geometry] [--json]\n"
    "      compila DIR/NOME_linea.txt e DIR/NOME_CODICE-.txt come fa il programma e scrive\n"
    "      i tre file binari in CARTELLA (di solito DIR); i testi dell'autore restano intatti\n"
    "  dump FILE [--json] [--all]\n"
    "      mostra il contenuto di un file binario: NOME_linea.dat (geometria),\n"
    "      NOME_CODICE.sim (testata) o NOME_CODICE.dat (celle)\n"
    "  plot DIR --line NOME --train CODICE -o FILE.svg [--da KM] [--a KM]\n"
    "      disegna la pianta e il profilo della linea dai file binari di DIR, tutta o\n"
    "      dal chilometro --da al chilometro --a (per esempio 12,5)\n"
    "  view DIR --line NOME --train CODICE [-o FILE.html] [--out CARTELLA]\n"
    "      compila come compile e scrive una pagina da aprire nel browser (di solito\n"
    "      DIR/NOME_CODICE.html): pianta e profilo collegati, il record di ogni elemento,\n"
    "      errori e avvisi; i file binari solo con --out\n"
    "  watch DIR --line NOME --train CODICE [-o FILE.html] [--out CARTELLA] [--porta N]\n"
    "        [--compilazioni N]\n"
    "      ricompila a ogni salvataggio di uno dei due testi e stampa ogni volta il riepilogo,\n"
    "      gli errori e gli avvisi; serve la pagina di view su http://127.0.0.1:PORTA/, che\n"
    "      mostra ogni nuova compilazione da sola mantenendo finestra e zoom; riscrive FILE.html\n"
    "      (pagina fissa) e, con --out, i file binari a ogni compilazione. --porta sceglie la\n"
    "      porta (di solito una libera), --compilazioni finisce dopo N compilazioni; altrimenti\n"
    "      resta in ascolto fino a Ctrl+C\n"
    "  help\n"
    "      mostra questo testo\n"
    "\n"
    "stato di uscita: 0 nessun errore, 1 errore registrato dal compilatore, 2 errore 1250 o\n"
    "1251 (nessun file binario scritto), 3 errore d'uso, di file o file binario danneggiato\n";

// A command line the tool cannot run: run_tool prints the message and the usage block.
class usage_error : public std::runtime_error {
   public:
    using std::runtime_error::runtime_error;
};

// A file the tool cannot read, write or make sense of: run_tool prints the message.
class tool_failure : public std::runtime_error {
   public:
    using std::runtime_error::runtime_error;
};

struct streams {
    std::ostream& out;
    std::ostream& err;
};

// The arguments after the subcommand's name, all UTF-8.
using arguments = std::span<const std::string>;

// The tool on the words of a command line after the program's name: runs the subcommand they
// name, reports any failure on io.err ("scenario-tool: errore: ..."), and returns the exit
// status. A report that did not reach io.out is a failure too.
int run_tool(arguments words, streams io);

// "scenario-tool: errore: MESSAGE" on a line of its own.
void print_error(std::ostream& err, std::string_view message);

// Reports that the output could not be written, with the system's reason in errno if there is
// one, and returns k_status_failure.
int output_failure(streams io);

// The subcommands, on the arguments after their name. A usage error or a file the subcommand
// cannot handle is thrown (usage_error, tool_failure) for run_tool to report.
int compile_command(arguments args, streams io);
int dump_command(arguments args, streams io);
int plot_command(arguments args, streams io);
int view_command(arguments args, streams io);
// Runs until interrupted (or for --compilazioni rounds) and returns the last compile's status.
int watch_command(arguments args, streams io);

// A command line split into positional words, options with a value and bare flags.
struct parsed_arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;

    bool has(const std::string& flag) const { return flags.count(flag) != 0; }
    // The option's value; throws usage_error when it is missing.
    const std::string& required(const std::string& option) const;
};

// Splits args: names in `valued` take the next word as their value, names in `bare` stand
// alone; any other word beginning with "--" (or a lone "-x") is a usage error.
parsed_arguments parse_arguments(arguments args, const std::set<std::string>& valued,
                                 const std::set<std::string>& bare);

// A path from a command-line word (UTF-8), and a path as UTF-8 text for messages.
std::filesystem::path path_argument(const std::string& utf8);
std::string display_path(const std::filesystem::path& p);

// The whole content of a file, or tool_failure with the system's reason.
std::string read_input_file(const std::filesystem::path& file);

}  // namespace scenario::tool
