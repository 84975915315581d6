// The three binary scenario files that the simulator loads. Each file is the bare image of one
// table: no file header, no count, no trailer. All numbers are little-endian; a String is an
// unsigned 16-bit count followed by that many Windows-1252 bytes.
//
// Cell file, nome_linea + "_" + codice_treno + ".dat": cells 0 to n_celle, 15 bytes each.
//   offset  0  tipo_cella     u8
//   offset  1  val1           i16
//   offset  3  val2           i16
//   offset  5  val3           i16
//   offset  7  val4           i16
//   offset  9  tempo_segnale  u8
//   offset 10  preavviso      u8
//   offset 11  sfondo         u8
//   offset 12  vel_limite     u8
//   offset 13  pendenza       u8
//   offset 14  aderenza       u8
//
// Header table file, nome_linea + "_" + codice_treno + ".sim": entries 0 to 86, 34 + L bytes
// each, L being the length of v_nome.
//   offset  0      v_tipo           u8
//   offset  1      v_a              i32
//   offset  5      v_b              i32
//   offset  9      v_c              i32
//   offset 13      v_flag           u8
//   offset 14      L                u16
//   offset 16      v_nome           L bytes
//   offset 16 + L  v_i1 .. v_i5     5 x i16
//   offset 26 + L  v_b1 .. v_b4     4 x u8
//   offset 30 + L  v_l              i32
//
// Line geometry file, nome_linea + "_linea.dat": coordinate 0 of metres 0 to lunghezza_dim,
// then coordinate 1 of the same metres; each element a u16 tag and its payload:
//   tag 0  empty    no payload
//   tag 2  integer  i16
//   tag 5  double   f64 (IEEE 754)
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/records.h"

namespace scenario {

inline constexpr std::size_t k_cell_size = 1 + 4 * 2 + 6 * 1;
inline constexpr std::size_t k_entry_fixed_size = 1 + 3 * 4 + 1 + 2 + 5 * 2 + 4 * 1 + 4;
static_assert(k_cell_size == 15);
static_assert(k_entry_fixed_size == 34);

std::string serialise_celle(const celle& cells);
std::string serialise_testata(const testata& header);
std::string serialise_geometria(const geometria& plan);
// The geometry file's bytes handed over a piece at a time, never held whole.
void serialise_geometria_in_pieces(const geometria& plan,
                                   const std::function<void(std::string_view)>& deliver);

// Who makes the renames of the binary set durable: this writer, with a flush of the directory
// right after them, or its caller, which has more renames or deletions to make first and flushes
// the directory once after the last of them.
enum class directory_flush { here, by_caller };

// Writes the line geometry file (only when crea_geometria is nonzero), the header table file and
// the cell file as one set: all three are written and flushed under temporary names before the
// first of them replaces its earlier file, then the three renames follow one another and, unless
// the caller does it, the directory is flushed. A failure before the renames leaves the whole
// earlier set.
void scrivi_file_binari(const run_state& state, directory_flush flush);

}  // namespace scenario
