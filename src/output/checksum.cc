#include "output/checksum.h"

#include "output/format.h"

namespace scenario {
namespace {

// A character's code in the 8-bit character set, as a signed 16-bit value.
int32_t code_of(char c) { return static_cast<unsigned char>(c); }

char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string checksum_work_string(const scenario_model& m) {
  std::string s = m.voci[voce_index::segnali_generale].nome +
                  m.voci[voce_index::percorso_generale].nome;
  for (char& c : s) c = lower(c);
  s += format::checksum_padding;
  s.resize(format::checksum_length);
  return s;
}

int16_t codice_gara_og(scenario_model& m) {
  m.riga = checksum_work_string(m);
  int32_t sum = 0;
  for (char c : m.riga) sum += code_of(c);
  return static_cast<int16_t>(sum);  // at most 25 x 255: always fits
}

int32_t codice_gara_st(scenario_model& m) {
  m.riga = checksum_work_string(m);
  uint32_t sum = 0;  // 32-bit arithmetic; unsigned so that it wraps defined
  for (size_t i = 0; i < m.riga.size(); ++i) {
    sum += static_cast<uint32_t>(code_of(m.riga[i])) *
           static_cast<uint32_t>(i + 1);
  }
  return static_cast<int32_t>(sum);
}

}  // namespace scenario
