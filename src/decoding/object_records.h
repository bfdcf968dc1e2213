// The objects of two scenarios reduced to what comparing them needs: per
// kind, each object's place, its fields as shown and the cells and entries
// it reads (so that the differences it explains can be left out of the
// cell-level listing). decoding/object_diff pairs and shows them.
#ifndef SCENARIO_DECODING_OBJECT_RECORDS_H_
#define SCENARIO_DECODING_OBJECT_RECORDS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/model.h"
#include "model/translation.h"

namespace scenario {

// Cells [first, last] whose `fields` an object accounts for.
struct cell_claim {
  int64_t first = 0;
  int64_t last = 0;
  uint16_t fields = 0;
};

// One object reduced to what the comparison needs: where it stands, its
// fields as shown (compared by their text) and what it accounts for.
struct object_record {
  int64_t at = 0;
  int64_t end = 0;   // layer stretches: where the stretch ends
  std::string name;  // UTF-8
  std::vector<std::pair<std::string, std::string>> fields;
  std::vector<cell_claim> cells;
  std::vector<std::pair<int, uint16_t>> entries;
  // A slowdown: the metres where the cell post-processing places speed
  // points for it (1000 m before its warning or start to 600 m past its
  // end).
  std::optional<std::pair<int64_t, int64_t>> reach;
  // A speed point of the speed the post-processing gives its points.
  bool placed_by_post_processing = false;
  bool same_fields(const object_record& o) const { return fields == o.fields; }
};

enum class object_style {
  object,   // added, removed, moved, changed
  layer,    // a stretch of equal layer value, known by its start
  general,  // one value of the line or the train, without position
};

struct kind_records {
  std::string kind;
  object_style how = object_style::object;
  bool match_names = false;  // stations are known by their names
  std::vector<object_record> a;
  std::vector<object_record> b;
};

// Every kind of both scenarios, in the order `inspect` shows them: the
// general values, stations, signals, tunnels, direction boards, speed
// boards, slowdowns, speed points, then the speed-limit, gradient and
// adhesion stretches.
// Values are shown in the language of `tr`; kinds and field names stay as
// they are (tr.context("object", kind), tr.context("field", name) word them).
std::vector<kind_records> read_object_records(const scenario_model& a,
                                              const scenario_model& b,
                                              const translator& tr);

}  // namespace scenario

#endif  // SCENARIO_DECODING_OBJECT_RECORDS_H_
