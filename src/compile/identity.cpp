#include "compile/identity.h"

#include "base/identity_codes.h"
#include "compile/compile_support.h"

namespace scenario {
namespace {

// What stood on cell 1 where a code was to go.
fault_code identity_fault(run_state& state, compile_diagnostics* diagnostics, fault_code code) {
    if (diagnostics == nullptr) return code;
    found_fault fault;
    fault.code = code;
    wanted_cell(fault, state, diagnostics, 1);
    diagnostics->identity_fault = std::move(fault);
    return code;
}

}  // namespace

std::int32_t stamp_identity(run_state& state, compile_diagnostics* diagnostics) {
    voce& linea = state.testata[k_entry_linea];
    cella& first = state.celle.at(1);
    if (linea.v_i1 != 0 || first.val1 != 0) {
        return value_of(identity_fault(state, diagnostics, fault_code::identity_marker));
    }
    linea.v_i1 = k_header_marker;
    first.val1 = k_cell_marker;
    if (linea.v_l != 0 || first.val2 != 0) {
        return value_of(identity_fault(state, diagnostics, fault_code::identity_code));
    }
    linea.v_l = codice_gara_st(state.testata);
    first.val2 = codice_gara_og(state.testata);
    return 0;
}

}  // namespace scenario
