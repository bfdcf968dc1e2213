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

std::string checksum_work_string(std::string_view treno_nome,
                                 std::string_view percorso_nome) {
  std::string s;
  s.reserve(treno_nome.size() + percorso_nome.size() +
            format::checksum_padding.size());
  s.append(treno_nome).append(percorso_nome);
  for (char& c : s) c = lower(c);
  s += format::checksum_padding;
  s.resize(format::checksum_length);
  return s;
}

std::string checksum_work_string(const scenario_model& m) {
  return checksum_work_string(m.voci[voce_index::segnali_generale].nome,
                              m.voci[voce_index::percorso_generale].nome);
}

int16_t sum_of_codes(std::string_view work) {
  int32_t sum = 0;
  for (char c : work) sum += code_of(c);
  return static_cast<int16_t>(sum);  // at most 25 x 255: always fits
}

int32_t weighted_sum_of_codes(std::string_view work) {
  uint32_t sum = 0;  // 32-bit arithmetic; unsigned so that it wraps defined
  for (size_t i = 0; i < work.size(); ++i) {
    sum +=
        static_cast<uint32_t>(code_of(work[i])) * static_cast<uint32_t>(i + 1);
  }
  return static_cast<int32_t>(sum);
}

int16_t codice_gara_og(scenario_model& m) {
  m.riga = checksum_work_string(m);
  return sum_of_codes(m.riga);
}

int32_t codice_gara_st(scenario_model& m) {
  m.riga = checksum_work_string(m);
  return weighted_sum_of_codes(m.riga);
}

}  // namespace scenario
