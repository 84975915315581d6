#include "compile/identity.h"

#include "base/identity_codes.h"

namespace scenario {

std::int32_t stamp_identity(run_state& state) {
    voce& linea = state.testata[k_entry_linea];
    cella& first = state.celle.at(1);
    if (linea.v_i1 != 0 || first.val1 != 0) return 1250;
    linea.v_i1 = k_header_marker;
    first.val1 = k_cell_marker;
    if (linea.v_l != 0 || first.val2 != 0) return 1251;
    linea.v_l = codice_gara_st(state.testata);
    first.val2 = codice_gara_og(state.testata);
    return 0;
}

}  // namespace scenario
