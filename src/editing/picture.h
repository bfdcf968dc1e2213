// The live picture of a pair of descriptions: the report page drawn from the
// texts the editor holds (checked as `scenario check` checks them, and
// compiled strictly as the simulator's build compiles them), with the places
// of the records its stations come from and the files its findings name, so
// that a click on the picture leads back to the text.
#ifndef SCENARIO_EDITING_PICTURE_H_
#define SCENARIO_EDITING_PICTURE_H_

#include <nlohmann/json.hpp>

#include "checking/warnings.h"
#include "compiler/compiler.h"
#include "model/translation.h"

namespace scenario::editing {

// {"html": the page,
//  "objects": [{"kind": "station", "name": UTF-8, "uri", "line", "character",
//               "length"}] (0-based, in UTF-16 units),
//  "files": [{"name": the name the page shows, "uri"}]}.
// A `treno` without text stands for a line checked without a train. The
// page speaks the language of `tr`.
nlohmann::json picture_of(const description_text& linea,
                          const description_text& treno,
                          const warning_options& warnings,
                          const translator& tr);

}  // namespace scenario::editing

#endif  // SCENARIO_EDITING_PICTURE_H_
