#include "model/model.h"

#include <cstring>
#include <new>
#include <utility>

#include "model/zeroed_memory.h"

namespace scenario {

namespace {

// Blocks come in whole huge pages, which the system may back as such.
constexpr size_t huge_page_bytes = size_t{2} << 20;

}  // namespace

void tracciato_t::create(int32_t last_metre) {
  clear();
  const auto n = static_cast<size_t>(last_metre) + 1;
  const size_t values = 2 * n * sizeof(double);
  const size_t kinds = 2 * n * sizeof(genere);
  block_bytes_ = (values + kinds + huge_page_bytes - 1) / huge_page_bytes *
                 huge_page_bytes;
  block_ = map_zeroed(block_bytes_);
  auto* doubles = static_cast<double*>(block_);
  value_ = {doubles, doubles + n};
  auto* genres = reinterpret_cast<genere*>(doubles + 2 * n);
  kind_ = {genres, genres + n};  // zero is genere::vuoto
  size_ = static_cast<int64_t>(n);
}

void tracciato_t::clear() {
  if (block_ != nullptr) unmap_zeroed(block_, block_bytes_);
  block_ = nullptr;
  block_bytes_ = 0;
  size_ = 0;
  value_ = {};
  kind_ = {};
}

void tracciato_t::swap(tracciato_t& other) noexcept {
  std::swap(size_, other.size_);
  std::swap(block_, other.block_);
  std::swap(block_bytes_, other.block_bytes_);
  std::swap(value_, other.value_);
  std::swap(kind_, other.kind_);
}

tracciato_t::tracciato_t(const tracciato_t& other) { *this = other; }

tracciato_t& tracciato_t::operator=(const tracciato_t& other) {
  if (this == &other) return *this;
  clear();
  if (other.exists()) {
    create(static_cast<int32_t>(other.size_ - 1));
    std::memcpy(block_, other.block_, block_bytes_);
  }
  return *this;
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
                  std::optional<int32_t> posizione, std::string file, int line,
                  std::string detail) {
  m.codice_errore = codice;
  if (posizione) m.posizione_errore = *posizione;
  diagnostic d;
  d.codice = codice;
  d.posizione = posizione;
  d.file = std::move(file);
  d.line = line;
  d.detail = std::move(detail);
  m.diagnostics.push_back(std::move(d));
}

void record_error(scenario_model& m, int codice,
                  std::optional<int32_t> posizione, std::string file,
                  source_span at, std::string detail) {
  record_error(m, codice, posizione, std::move(file), at.line,
               std::move(detail));
  diagnostic& d = m.diagnostics.back();
  d.column = at.column;
  d.length = at.length;
  d.source_line = std::move(at.text);
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
