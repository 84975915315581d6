// The line half of memorizza_dati: reads the line description text, fills the line's header
// values, the cells (gradients, scenery, boards, signs) and the plan geometry, and deletes the
// text on every way out.
//
// The line text, as the pass reads it (items as the item reader gives them; keyword tests are
// substring tests on the keyword item, any case unless marked exact):
//
//   preamble      items up to the first one containing "[generale]"
//   [generale]    records until an item holding "[" and "]" (not beginning with "-"):
//                   lunghezza + percorso           L                route length, 0..1000000
//                   progressiva + tre|due|uno      a, b, c          (exact case) entries 81..83
//                   sfondo + uno|due|tre           n                (exact case) entry 85
//                   ripetizione + segnali          a, b             (exact case) entry 86; "4"
//                                                                   or "9" in the keyword
//   features      records in any order, each recognised wherever it stands:
//                   pendenza                       p, g             gradient g from cell p/50
//                   curva + class digit 1..6       s, n             bends metres s+1..s+n
//                                                                   ("s" anywhere: to the left)
//                   montagna                       inizio, fine, tipo
//                   indicatori_v                   posizione and eight speeds/stripes
//                   cartello + indicat             p, text          information sign
//   last item     never examined ("[fine]" in the program's own text)
//
// A keyword item containing "-" is replaced by the next item (up to 10 times in [generale], 2
// times after it). Values are signed 32-bit whole numbers; an empty field reads 0. A sign text
// is a text item: it ends at a comma or the line end, unless it begins with a double quote, in
// which case it runs to the closing quote and may hold commas (the quotes are not kept).
#pragma once

#include <cstdint>

#include "compile/compiler.h"
#include "compile/description_source.h"
#include "base/records.h"

namespace scenario {

struct line_pass_result {
    // False after a hard stop (or 101): memorizza_dati returns without the train pass.
    bool train_follows = false;
    // The next header entry free for a sign text; the train pass keeps stations below it.
    std::int32_t prossimo_cartello = k_first_sign_entry;
};

// Runs the line pass. Faults of the text are recorded in codice_errore and posizione_errore; a
// run-time failure (error 25) escapes as an exception, after its place in the text has been
// given to the diagnostics, and leaves the text for memorizza_dati's recovery step to delete.
line_pass_result line_pass(run_state& state, description_source& texts,
                           compile_diagnostics* diagnostics);

}  // namespace scenario
