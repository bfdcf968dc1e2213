#include "model/model.h"

#include <cstring>
#include <new>
#include <utility>

#include "model/zeroed_memory.h"

namespace scenario {

namespace {

// A plan of a whole line comes in whole huge pages, which the system may
// back as such; a short one (a test, a fuzz input, an edited fragment) in
// small pages, so that it does not clear two megabytes for a few hundred
// kilobytes.
constexpr size_t huge_page_bytes = size_t{2} << 20;
constexpr size_t small_page_bytes = size_t{4} << 10;

size_t block_size(size_t used) {
  const size_t unit =
      used >= huge_page_bytes / 2 ? huge_page_bytes : small_page_bytes;
  return (used + unit - 1) / unit * unit;
}

// Bytes of the four arrays of a plan of n metres, from the block's start.
size_t used_bytes(size_t n) {
  return 2 * n * sizeof(double) + 2 * n * sizeof(tracciato_t::genere);
}

}  // namespace

void tracciato_t::create(int32_t last_metre) {
  clear();
  const auto n = static_cast<size_t>(last_metre) + 1;
  block_bytes_ = block_size(used_bytes(n));
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
    std::memcpy(block_, other.block_,
                used_bytes(static_cast<size_t>(other.size_)));
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
