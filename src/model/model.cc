#include "model/model.h"

namespace scenario {

void tracciato_t::create(int32_t last_metre) {
  const auto n = static_cast<size_t>(last_metre) + 1;
  for (int c = 0; c < 2; ++c) {
    kind_[c].assign(n, genere::vuoto);
    value_[c].assign(n, 0.0);
  }
}

void tracciato_t::clear() {
  for (int c = 0; c < 2; ++c) {
    kind_[c] = {};
    value_[c] = {};
  }
}

void tracciato_t::set_int16(int64_t metre, int coord, int16_t v) {
  kind_[coord][metre] = genere::intero16;
  value_[coord][metre] = v;
}

void tracciato_t::set_double(int64_t metre, int coord, double v) {
  kind_[coord][metre] = genere::doppio;
  value_[coord][metre] = v;
}

void reset(scenario_model& m, int32_t j) {
  for (voce& v : m.voci) v = voce{};
  m.codice_errore = 0;
  m.con_tracciato = j;
  m.diagnostics.clear();
}

void create_cells(scenario_model& m, int32_t length) {
  m.lunghezza_estesa = length + line_margin_m;
  m.numero_celle =
      static_cast<int32_t>(div_round_even(m.lunghezza_estesa, cell_length_m));
  m.celle.assign(static_cast<size_t>(m.numero_celle) + 1, cella{});
  if (m.con_tracciato != 0) {
    m.tracciato.create(m.lunghezza_estesa);
  } else {
    m.tracciato.clear();
  }
}

void record_error(scenario_model& m, int codice,
                  std::optional<int32_t> posizione, std::string file,
                  int line, std::string detail) {
  m.codice_errore = codice;
  if (posizione) m.posizione_errore = *posizione;
  m.diagnostics.push_back(
      {codice, posizione, std::move(file), line, std::move(detail)});
}

int64_t div_round_even(int64_t num, int64_t den) {
  int64_t q = num / den;
  int64_t r = num % den;
  if (r < 0) {  // floor division
    q -= 1;
    r += den;
  }
  // Now num = q * den + r with 0 <= r < den.
  const int64_t twice = 2 * r;
  if (twice > den || (twice == den && (q % 2 != 0))) q += 1;
  return q;
}

}  // namespace scenario
