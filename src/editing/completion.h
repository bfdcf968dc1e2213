// The keys an editor offers where a key can stand: those of the section
// the cursor is in, as snippets with a placeholder per field or as plain
// keys.
#ifndef SCENARIO_EDITING_COMPLETION_H_
#define SCENARIO_EDITING_COMPLETION_H_

#include "editing/features.h"

namespace scenario::editing {

// The keys of the section at `p`, offered only where a key can stand (no
// comma before `p` on its line); as snippets with a placeholder per field
// when the client takes `snippets`, else as the plain key and its comma.
json completion_at(const analysis& a, text_position p, bool snippets,
                   const translator& tr);

}  // namespace scenario::editing

#endif  // SCENARIO_EDITING_COMPLETION_H_
