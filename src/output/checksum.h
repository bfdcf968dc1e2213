// The two identification checksums of a scenario, computed from the train
// and route names held in entries 86 and 85; the work string is left in riga.
#ifndef SCENARIO_OUTPUT_CHECKSUM_H_
#define SCENARIO_OUTPUT_CHECKSUM_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "model/model.h"

namespace scenario {

// The first 25 characters of lower(treno name + route name) + padding.
std::string checksum_work_string(const scenario_model& m);
std::string checksum_work_string(std::string_view treno_nome,
                                 std::string_view percorso_nome);

// The two sums over a work string, for readers that check a scenario's
// checksums without a model to work in.
int16_t sum_of_codes(std::string_view work);
int32_t weighted_sum_of_codes(std::string_view work);

// Sum of the character codes of the work string.
int16_t codice_gara_og(scenario_model& m);
// Sum of (code of character i) x i, i from 1, in 32 bits.
int32_t codice_gara_st(scenario_model& m);

}  // namespace scenario

#endif  // SCENARIO_OUTPUT_CHECKSUM_H_
