// What the editor shows over a record and where it leads: the hover (the
// record's meaning, each field's value with its kilometres and cell, the
// railway object it makes) and the way between a tunnel board and its
// tunnel. The railway facts come from the record-level railway.
#ifndef SCENARIO_EDITING_HOVER_H_
#define SCENARIO_EDITING_HOVER_H_

#include <vector>

#include "editing/features.h"

namespace scenario::editing {

json hover_at(const analysis& a, text_position p, const translator& tr);
// The ranges a tunnel board leads to (its tunnel) or a tunnel to (the board
// that names it); empty elsewhere.
std::vector<text_range> definition_at(const analysis& a, text_position p);

}  // namespace scenario::editing

#endif  // SCENARIO_EDITING_HOVER_H_
