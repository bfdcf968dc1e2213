// How the one compiler treats what it reads. Strict (the default, the run's
// and `scenario compile`'s way): the first rejected record ends the
// compilation as the codes prescribe. Keep going (the checker's way): a
// rejected record is recorded and skipped and reading goes on, a reading
// failure resumes at the next line, and only the codes after which nothing
// meaningful can follow end it. An observer may watch every record as read.
#ifndef SCENARIO_COMPILER_POLICY_H_
#define SCENARIO_COMPILER_POLICY_H_

#include <cstdint>
#include <span>
#include <string_view>

#include "compiler/record_reader.h"

namespace scenario {

// The record kinds of both descriptions, as their handlers read them.
enum class record_kind {
  // Line description.
  line_length,      // length
  gradient,         // position, gradient
  curve,            // start, length (the key names the class)
  tunnel,           // inizio, fine, tipo
  speed_board,      // position and eight values
  direction_board,  // position, text
  // Train description.
  speed_limit,  // position, speed
  adhesion,     // position, value
  signal,       // posizione and ten values
  slowdown,     // x, v, l, f_tt, f_ta, d_v
  speed_point,  // position, value
  station,      // 16 numbers, then the name
};

enum class description { line, train };

// One record as read: its kind, the description it stands in, its key and
// its fields in record order (the views live only during the call), and
// whether the compiler accepted it.
struct record_event {
  record_kind kind;
  description in;
  std::string_view key;
  field_place key_at;
  std::span<const read_field> fields;
  bool accepted = true;
};

class record_observer {
 public:
  virtual ~record_observer() = default;
  virtual void on_record(const record_event& e) = 0;
};

struct compile_policy {
  bool keep_going = false;
  record_observer* observer = nullptr;  // not owned; may be null
};

}  // namespace scenario

#endif  // SCENARIO_COMPILER_POLICY_H_
