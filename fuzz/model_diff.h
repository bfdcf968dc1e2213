// Compares two scenario models field by field and names the first
// difference, for the targets' invariants (the same input compiles to the
// same model; what is written decodes to what was compiled).
#ifndef SCENARIO_FUZZ_MODEL_DIFF_H_
#define SCENARIO_FUZZ_MODEL_DIFF_H_

#include <string>
#include <vector>

#include "model/model.h"

namespace scenario::fuzz {

// Empty when equal; otherwise "what differs".
std::string diff_cells(const std::vector<cella>& a,
                       const std::vector<cella>& b);
std::string diff_entries(const std::array<voce, voci_count>& a,
                         const std::array<voce, voci_count>& b);
// Plan values are compared bit for bit, so that equal NaNs are equal.
std::string diff_plan(const tracciato_t& a, const tracciato_t& b);

}  // namespace scenario::fuzz

#endif  // SCENARIO_FUZZ_MODEL_DIFF_H_
