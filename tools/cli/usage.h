// What `scenario-tool help` prints, and what follows a usage error.
#pragma once

#include <string_view>

namespace scenario::tool {

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
    "  diff A B --line NOME --train CODICE [--line-b NOME2] [--train-b CODICE2] [--json]\n"
    "      confronta i file binari compilati delle cartelle A e B (in B con i nomi di --line-b e\n"
    "      --train-b, se dati): stazioni, segnali, rallentamenti, cartelli e abbattimenti\n"
    "      aggiunti, tolti, spostati o cambiati; i tratti in cui cambiano limite di velocità,\n"
    "      pendenza e aderenza; le curve, i valori della testata e la distanza massima tra le\n"
    "      due piante\n"
    "  plot DIR --line NOME --train CODICE -o FILE.svg [--from KM] [--to KM]\n"
    "      disegna la pianta e il profilo della linea dai file binari di DIR, tutta o\n"
    "      dal chilometro --from al chilometro --to (per esempio 12,5)\n"
    "  view DIR --line NOME --train CODICE [-o FILE.html] [--out CARTELLA]\n"
    "      compila come compile e scrive una pagina da aprire nel browser (di solito\n"
    "      DIR/NOME_CODICE.html): pianta e profilo collegati, il record di ogni elemento,\n"
    "      errori e avvisi; i file binari solo con --out\n"
    "  watch DIR --line NOME --train CODICE [-o FILE.html] [--out CARTELLA] [--port N]\n"
    "        [--compiles N]\n"
    "      ricompila a ogni salvataggio di uno dei due testi e stampa ogni volta il riepilogo,\n"
    "      gli errori e gli avvisi; serve la pagina di view su http://127.0.0.1:PORTA/, che\n"
    "      mostra ogni nuova compilazione da sola mantenendo finestra e zoom; riscrive FILE.html\n"
    "      (pagina fissa) e, con --out, i file binari a ogni compilazione. --port sceglie la\n"
    "      porta (di solito una libera), --compiles finisce dopo N compilazioni; altrimenti\n"
    "      resta in ascolto fino a Ctrl+C\n"
    "  lsp\n"
    "      server del protocollo dei linguaggi (LSP) su standard input e output, per gli\n"
    "      editor: errori, avvisi e note mentre si scrive, cosa compila ogni record,\n"
    "      completamento delle parole chiave e correzioni rapide\n"
    "  help\n"
    "      mostra questo testo\n"
    "\n"
    "le vecchie grafie --da, --a, --porta e --compilazioni valgono come --from, --to, --port\n"
    "e --compiles\n"
    "\n"
    "stato di uscita: 0 nessun errore, 1 errore registrato dal compilatore, 2 errore 1250 o\n"
    "1251 (nessun file binario scritto), 3 errore d'uso, di file o file binario danneggiato;\n"
    "per diff: 0 nessuna differenza, 1 qualche differenza, 3 errore\n";

}  // namespace scenario::tool
