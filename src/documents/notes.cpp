// The scenario notes for the driver: the technical figures of the simulated stretch, a word
// from the scenario's author on how the line is simulated, a drawing of the whole line with its
// two branches beyond Cascina Telvo, remarks on the run, the author's data and an announcement.
#include <iterator>

#include "base/fixed_text.h"
#include "output/text_files.h"
#include "documents/crew_documents.h"

namespace scenario {
namespace {

// The diagram is drawn with backslashes; raw literals keep each one a single character.
// One line of the document per line of source: the formatter must never split one.
// clang-format off
constexpr std::string_view k_notes[] = {
    "Buongiorno guidatori!",
    "",
    "CARATTERISTICHE TECNICHE DEL TRATTO SIMULATO:",
    "",
    "Linea simulata    : Metropolitana zelnorese linea 2",
    "tratto simulato   : Cascina Telvo - Brunvicco (tratta in zelnor)",
    "Lunghezza percorso: 18.000 M",
    "Velocità massima  : 80 KMH",
    "N° stazioni       : 20",
    "Bivi presenti     : 0",
    "Tratto gestito da : ATZ - Azienda Trasporti Zelnoresi",
    "Durata percorso   : 34 MINUTI IN SERVIZIO E 0 DI MANOVRA",
    "Pendenza massima  : -25% ",
    "Gallerie presenti : 1 per un totale di 15.800 M",
    "",
    "INTRO:",
    "",
    "Ciao a tutti! Questo scenario l'ho costruito io, Ivano Brascelli, nel tempo libero.",
    "È il mio secondo scenario: il primo era dedicato a una linea ferroviaria, questa volta invece",
    "ho voluto provare qualcosa di diverso e ho scelto una linea della metropolitana di Zelnor.",
    "",
    "NOTE DELLA SIMULAZIONE:",
    "",
    "Siccome nel mio primo scenario le fermate in galleria si vedevano poco e si rischiava di",
    "passarle senza accorgersene, in questo ho simulato in superficie anche la parte sotterranea.",
    "Dove comincia il tratto in sotterranea trovate i cartelli indicatori e una breve galleria",
    "che ne segnano l'ingresso (da quel punto fino a Brunvicco immaginate di viaggiare",
    "sottoterra)",
    "",
    "In realtà la linea non parte da Cascina Telvo: appena fuori città si divide in due rami,",
    "uno verso Castelmiro e l'altro verso Ormeda, per cui lo schema completo della",
    "linea partendo da brunvicco sarebbe la seguente:",
    "",
    "                       |- BRUNVICCO",
    "                       |- ROVELO",
    "                       |- P.TA TREMIA FS",
    "                       |- S. ARVEDINO",
    "                       |- S. ANSELVIO",
    "                       |- CADREVO INTERSCAMBIO M1",
    "                       |- LENVO",
    "                       |- MORSENA",
    "                       |- MORAVALDI FS",
    "                       |- GORVA",
    "                       |- CENTRALE FS",
    "                       |- CAVUZZO",
    "                       |- LORVIO",
    "                       |- PIEVO",
    "          |            |- LOSTRAVE          |",
    "          |            |- URVIO             |",
    "          --- fine tratta in sotterranea ---     ",
    "                       |- VORDANO",
    "                |- TRESCIVENAGO  ",
    "                       |- CASCINA TELVO",
    R"(                      / \)",
    R"(                     /   \ )",
    R"(              ______/     \_______)",
    R"(             /                    \)",
    R"(            /                      \)",
    R"(           /                        \)",
    "          |- VALDRESSO              |- GESSARIO",
    "          |- ORSEGLIA                |- TORNAVIA",
    "          |- CASTELMIRO             |- BELCERTO",
    "                                    |- RIVOLENA",
    "                                    |- MARZASCO",
    "                                    |- COLDIRANO",
    "                                    |- VESCARINO",
    "                                    |- PRATOLVE",
    "                                    |- GALVERIO",
    "                                    |- ORMEDA",
    "",
    "",
    "Limite urabano 'Cascina Telvo': il treno è una delle prime corse della mattina. Le stazioni",
    "sono tutte a 1 km l'una dall'altra per esigenze del simulatore, in realtà distano circa 500 m.",
    "La ripetizione segnali non c'è; ogni stazione è annunciata da un segnale a 'giallo' e lungo",
    "il percorso alcuni segnali saranno a via impedita, quindi tenete gli occhi aperti!",
    "Buon viaggio e buona guida a tutti!",
    "",
    "DATI PERSONALI",
    "",
    "Sito web: http://www.scenari-zelnor.example",
    "E-mail:   ivano.brascelli@scenari-zelnor.example",
    "Ivano Brascelli, 17 anni, Zelnor, 14 febbraio 2004",
    "",
    "AVVISO!!!:",
    "",
    "Sul mio sito è nata una nuova sezione tutta dedicata a voi appassionati: un archivio di foto,",
    "descrizioni di linee e di locomotive, commenti e recensioni scritti direttamente dai lettori.",
    "Se avete delle foto dei treni della vostra zona, la descrizione di una linea che conoscete",
    "bene o volete semplicemente dire la vostra su un mezzo o su uno scenario, mandatemi tutto",
    "per e-mail all'indirizzo qui sopra: pubblicherò il vostro materiale il prima possibile e",
    "ogni foto, descrizione o recensione porterà il nome del suo autore, cioè il vostro.",
    "Più siamo e più la sezione cresce: vi aspetto numerosi!",
    "",
    "Per eventuali critiche, commenti e consigli non esitate a scrivermi",
    "",
    "",
    "",
    "",
    k_end_marker,
};
// clang-format on

static_assert(std::size(k_notes) == 99, "98 lines and the end marker");

}  // namespace

std::span<const std::string_view> notes_table() { return k_notes; }

void dati_note(run_state& state) {
    write_fixed_text(state, file_kind::notes, notes_table(), platform::file_life::lasting);
}

}  // namespace scenario
