// What changed between two compiled scenarios in railway objects: stations,
// signals, tunnels, boards, slowdowns and speed points added, removed, moved
// or changed field by field; layer stretches moved or changed; the plan as
// the stretch where it differs; the general values of line and train. The
// cell-level listing of decoding/diff follows, without what these explain.
#ifndef SCENARIO_DECODING_OBJECT_DIFF_H_
#define SCENARIO_DECODING_OBJECT_DIFF_H_

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "decoding/diff.h"
#include "model/model.h"
#include "model/translation.h"

namespace scenario {

struct object_field_change {
  std::string field;
  std::optional<std::string> from;  // none for an added object
  std::optional<std::string> to;    // none for a removed object
};

// One object that differs, shown as one line (`text`).
struct object_change {
  enum class what { added, removed, moved, changed };
  what change = what::changed;
  std::string kind;  // "signal", "station", "limit", "plan", "cars", ...
  std::string name;  // UTF-8; empty when the object has none
  std::optional<int64_t> from_m;  // position in the old scenario
  std::optional<int64_t> to_m;    // position in the new scenario
  // The fields that changed; every field of an added or removed object.
  std::vector<object_field_change> fields;
  std::string text;
};

const char* change_name(object_change::what w);

// Objects are paired by kind: first those equal at the same place, then
// stations by name, then those at the same place, then the nearest pairs
// within `move_reach_m`, equal ones before changed ones (layer stretches
// only when their values are equal). An object left alone is added or
// removed. Speed points the post-processing placed around a changed
// slowdown are folded into the slowdown's line.
struct object_diff_options {
  int64_t move_reach_m = 2000;
};

struct object_diff {
  std::vector<object_change> objects;  // by kind, then along the line
  // The cell, entry and plan differences the objects account for.
  diff_mask explained;
};

// The lines in the language of `tr`; kinds, changes and field names stay.
object_diff diff_objects(const scenario_model& a, const scenario_model& b,
                         const object_diff_options& options = {},
                         const translator& tr = translator());

// Both levels: the object lines, then the cell-level lines. Without
// `all_cells` the cell level keeps only what no object explains (and all of
// it when the objects show nothing, so that a difference is never silent).
struct scenario_diff {
  std::vector<object_change> objects;
  std::vector<std::string> cells;
  bool same() const { return objects.empty() && cells.empty(); }
};
scenario_diff diff_in_objects(const scenario_model& a, const scenario_model& b,
                              const diff_options& options, bool all_cells,
                              const translator& tr);

// {"same": ..., "objects": [...], "cells": [...]}: each object with kind,
// change, name, positions in metres, fields (old and new as shown) and its
// line; the cells as their lines (every one, as with --cells).
void write_diff_json(const scenario_diff& d, std::ostream& out);

}  // namespace scenario

#endif  // SCENARIO_DECODING_OBJECT_DIFF_H_
