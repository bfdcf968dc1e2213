#include "compiler/stamping.h"

#include <cstdint>
#include <limits>
#include <string>

#include "compiler/run_time_failure.h"
#include "model/error_codes.h"
#include "model/kilometres.h"

namespace scenario {

namespace {

constexpr int32_t tunnel_join_gap_m = 150;  // closer tunnels become kind 3
constexpr int64_t tunnel_marker_every = 4;
constexpr int approach_cells = 4;
constexpr int signal_marker_step = 2;  // signal approach markers every 100 m

// Packed 16-bit values keep the low 16 bits of the exact result.
int16_t wrap16(int64_t v) {
  return static_cast<int16_t>(static_cast<uint16_t>(v & 0xFFFF));
}

// 8-bit fields keep the low 8 bits.
uint8_t low8(int64_t v) { return static_cast<uint8_t>(v & 0xFF); }

// Cell of a position; a result outside the array is caught by cell_at.
int64_t cell_of(int64_t p) { return object_cell(p); }

// Board value vs x 20 + vd / 5, rounded to nearest. Exact in integers:
// (vs x 100 + vd) / 5. A result outside 16 bits cannot be stored.
int16_t board_pair(int32_t vs, int32_t vd) {
  const int64_t v = div_round_even(
      static_cast<int64_t>(vs) * 100 + static_cast<int64_t>(vd), 5);
  if (v < std::numeric_limits<int16_t>::min() ||
      v > std::numeric_limits<int16_t>::max()) {
    throw run_time_failure(N_("board speed value %s lies outside 16 bits"),
                           {std::to_string(v)});
  }
  return static_cast<int16_t>(v);
}

// The slowdown's own cells: end, start and (when x > 1500) warning. All three
// are checked before any is written.
void stamp_slowdown_cells(scenario_model& m, int64_t w, int64_t s, int64_t e,
                          bool with_warning, int32_t v, int32_t f_tt,
                          int32_t d_v) {
  cella& end = cell_at(m, e);
  end.tipo = tipo_cella::fine_rallentamento;
  if (d_v != 0) end.dato2 = wrap16(d_v);
  cella& start = cell_at(m, s);
  start.tipo = tipo_cella::inizio_rallentamento;
  if (d_v != 0) start.dato2 = wrap16(d_v);
  if (with_warning) {
    cella& warning = cell_at(m, w);
    warning.tipo = tipo_cella::avviso_rallentamento;
    if (d_v != 0) warning.dato2 = wrap16(d_v);
    warning.dato1 = wrap16(v);
  }
  // Start and end may share a cell; it then keeps the start kind.
  cell_at(m, s).dato1 = wrap16(v);
  cell_at(m, e).dato1 = wrap16(v);
  cell_at(m, s).dato3 = wrap16(f_tt);
  cell_at(m, e).dato3 = wrap16(f_tt);
}

// The four approach cells k, k - 1, k - 2, k - 3 before the warning point,
// 1 nearest the warning. Returns false (writing nothing) if one is taken.
bool stamp_approach_cells(scenario_model& m, int64_t k, int32_t d_v) {
  for (int j = 0; j < approach_cells; ++j) {
    if (!is_free(cell_at(m, k - j))) return false;
  }
  for (int j = 0; j < approach_cells; ++j) {
    cella& c = cell_at(m, k - j);
    c.tipo = tipo_cella::preavviso_rallentamento;
    c.dato1 = static_cast<int16_t>(j + 1);
    if (d_v != 0) c.dato2 = static_cast<int16_t>(j + 1);
  }
  return true;
}

}  // namespace

int64_t ordinary_cell(int32_t p) { return cell_of(p); }

void memo_montagna(scenario_model& m, int32_t inizio, int32_t fine,
                   int32_t tipo) {
  bool with_markers = false;
  if (tipo > tunnel_marker_kind_offset) {
    tipo -= tunnel_marker_kind_offset;
    with_markers = true;
  }

  // Slots 1..80; the 81st tunnel is refused before the list is touched.
  if (m.numero_montagne < 0 || m.numero_montagne >= max_tunnels) {
    throw run_time_failure(N_("tunnel %s exceeds the tunnel list (1 to 80)"),
                           {std::to_string(m.numero_montagne + 1)});
  }
  const int32_t n = ++m.numero_montagne;
  m.inizio_montagne[n] = inizio;
  m.fine_montagne[n] = fine;

  // A tunnel that follows the previous one within 150 m (or overlaps it)
  // is stamped as kind 3, keeping its marker switch.
  if (n > 1 && static_cast<int64_t>(inizio) - m.fine_montagne[n - 1] <=
                   tunnel_join_gap_m) {
    tipo = 3;
  }

  // The span runs from inizio / 50 to fine / 50 - 1, each rounded as a whole
  // (without the + 1 of an ordinary cell): the last cell is always two below
  // the ordinary cell of `fine`. A span reaching past either end of the array
  // throws at the first cell outside it; the tunnel list entry and the cells
  // of the span already walked inside the array stay written.
  const int64_t first = div_round_even(inizio, cell_length_m);
  const int64_t last =
      div_round_even(static_cast<int64_t>(fine) - cell_length_m, cell_length_m);
  for (int64_t i = first, count = 1; i <= last; ++i, ++count) {
    cella& c = cell_at(m, i);
    c.montagna = low8(tipo);
    // A marker only goes where nothing stands yet, not even another marker.
    if (with_markers && count % tunnel_marker_every == 0 &&
        c.tipo == tipo_cella::vuota) {
      c.tipo = tipo_cella::marcatore_galleria;
    }
  }
}

void memo_rallentamento(scenario_model& m, int32_t x, int32_t v, int32_t l,
                        int32_t f_tt, int32_t f_ta, int32_t d_v) {
  const bool with_warning = x > slowdown_warning_threshold_m;
  const int64_t w =
      cell_of(static_cast<int64_t>(x) - slowdown_warning_distance_m);
  const int64_t s = cell_of(x);
  const int64_t e = cell_of(static_cast<int64_t>(x) + l);

  // Every cell of the slowdown is read before anything is written, so a
  // start or end outside the array throws with nothing stamped.
  if (with_warning && !is_free(cell_at(m, w))) {
    m.codice_errore = code_number(error_code::warning_occupied);
    return;
  }
  if (!with_warning) f_ta = 0;
  if (!is_free(cell_at(m, s))) {
    m.codice_errore = code_number(error_code::slowdown_start_occupied);
    return;
  }
  if (!is_free(cell_at(m, e))) {
    m.codice_errore = code_number(error_code::slowdown_end_occupied);
    return;
  }

  stamp_slowdown_cells(m, w, s, e, with_warning, v, f_tt, d_v);

  if (f_ta != 0) {
    // The cell just below the warning point: no + 1 here.
    const int64_t k = div_round_even(
        static_cast<int64_t>(x) - slowdown_warning_distance_m, cell_length_m);
    // A taken approach cell leaves end, start and warning stamped.
    if (!stamp_approach_cells(m, k, d_v))
      m.codice_errore = code_number(error_code::approach_occupied);
  }
}

void memo_segnale(scenario_model& m, int32_t posizione, int32_t sx, int32_t s1,
                  int32_t s2, int32_t s3, int32_t rapp, int32_t dx, int32_t d1,
                  int32_t d2, int32_t d3, int32_t tempo) {
  const int64_t c_index = cell_of(posizione);
  cella& c = cell_at(m, c_index);
  if (!is_free(c)) {
    m.codice_errore = code_number(error_code::signal_occupied);
    return;
  }
  c.tipo = tipo_cella::segnale;
  c.dato4 = wrap16(static_cast<int64_t>(rapp) * 10 +
                   static_cast<int64_t>(sx) * 3 + dx);
  c.dato1 = wrap16(static_cast<int64_t>(s1) * 10 + d1);
  c.dato2 = wrap16(static_cast<int64_t>(s2) * 10 + d2);
  c.dato3 = wrap16(static_cast<int64_t>(s3) * 10 + d3);
  if (tempo >= 1 && tempo <= 100) tempo = 101;
  c.tempo = sx == 2 ? low8(tempo) : 0;

  // Approach markers every 100 m back, whatever the cells hold. A signal
  // too close to the start of the line throws at the first marker cell below
  // cell 0; the signal cell and the markers above cell 0 stay written.
  const int64_t code = (static_cast<int64_t>(sx) * 3 + dx) * 10;
  for (int b = 1; b <= approach_cells; ++b) {
    cell_at(m, c_index - signal_marker_step * b).avviso = low8(code + b);
  }
}

void memo_indicatori_v_max(scenario_model& m, int32_t posizione, int32_t vas,
                           int32_t vbs, int32_t vcs, int32_t strisces,
                           int32_t vad, int32_t vbd, int32_t vcd,
                           int32_t strisced) {
  cella& c = cell_at(m, cell_of(posizione));
  if (!is_free(c)) {
    m.codice_errore = code_number(error_code::speed_board_occupied);
    return;
  }
  // A pair outside 16 bits throws after the kind and the pairs before it
  // have been written.
  c.tipo = tipo_cella::indicatore_vmax;
  c.dato1 = board_pair(vas, vad);
  c.dato2 = board_pair(vbs, vbd);
  c.dato3 = board_pair(vcs, vcd);
  c.dato4 = wrap16(static_cast<int64_t>(strisces) * 10 + strisced);
}

}  // namespace scenario
