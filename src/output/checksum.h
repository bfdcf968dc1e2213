// The two identification checksums of a scenario, computed from the train
// and route names held in entries 86 and 85; the work string is left in riga.
#ifndef SCENARIO_OUTPUT_CHECKSUM_H_
#define SCENARIO_OUTPUT_CHECKSUM_H_

#include <cstdint>
#include <string>

#include "model/model.h"

namespace scenario {

// The first 25 characters of lower(treno name + route name) + padding.
std::string checksum_work_string(const scenario_model& m);

// Sum of the character codes of the work string.
int16_t codice_gara_og(scenario_model& m);
// Sum of (code of character i) x i, i from 1, in 32 bits.
int32_t codice_gara_st(scenario_model& m);

}  // namespace scenario

#endif  // SCENARIO_OUTPUT_CHECKSUM_H_
