// The four operations that stamp one object of a description into the cells:
// tunnel spans, slowdowns, signals and maximum-speed boards. A conflict sets
// codice_errore (16 to 21) and returns; the caller records the position.
// Any cell outside the array, a tunnel beyond slot 80 or a board speed pair
// outside 16 bits throws run_time_failure; nothing is written outside.
#ifndef SCENARIO_COMPILER_STAMPING_H_
#define SCENARIO_COMPILER_STAMPING_H_

#include <cstdint>

#include "model/model.h"

namespace scenario {

// Runs one stamping operation and returns the code it set, 0 when none. The
// code already in force (a 15, or any code when the compiler keeps going) is
// no conflict of this stamp, and stays in force when the stamp sets none.
template <typename Stamp>
int32_t stamp_conflict(scenario_model& m, Stamp&& stamp) {
  const int32_t before = m.codice_errore;
  m.codice_errore = 0;
  stamp();
  const int32_t code = m.codice_errore;
  if (code == 0) m.codice_errore = before;
  return code;
}

// Ordinary cell of a position: p / 50 + 1, rounded half to even.
int64_t ordinary_cell(int32_t p);

void memo_montagna(scenario_model& m, int32_t inizio, int32_t fine,
                   int32_t tipo);
void memo_rallentamento(scenario_model& m, int32_t x, int32_t v, int32_t l,
                        int32_t f_tt, int32_t f_ta, int32_t d_v);
void memo_segnale(scenario_model& m, int32_t posizione, int32_t sx, int32_t s1,
                  int32_t s2, int32_t s3, int32_t rapp, int32_t dx, int32_t d1,
                  int32_t d2, int32_t d3, int32_t tempo);
void memo_indicatori_v_max(scenario_model& m, int32_t posizione, int32_t vas,
                           int32_t vbs, int32_t vcs, int32_t strisces,
                           int32_t vad, int32_t vbd, int32_t vcd,
                           int32_t strisced);

}  // namespace scenario

#endif  // SCENARIO_COMPILER_STAMPING_H_
