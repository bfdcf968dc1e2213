// Compiles the train and service description into the model, on the cells
// the line description created: the train's general values, its speed limit
// and adhesion layers, signals, slowdowns, speed points and stations with
// their zones and marks, then the closing fills and the check of the
// kilometric references. Used by memorizza_dati after the line description.
#ifndef SCENARIO_COMPILER_TRAIN_COMPILER_H_
#define SCENARIO_COMPILER_TRAIN_COMPILER_H_

#include <cstdint>
#include <optional>
#include <string>

#include "compiler/record_reader.h"
#include "model/model.h"

namespace scenario {

// Margin of the range check of a station record.
constexpr int32_t station_margin_m = 800;

class train_compiler {
 public:
  // `file` names the description in the diagnostics; `text` is all of it;
  // `board_entry` is the entry the line description would give its next
  // direction board (stations must stay below it).
  train_compiler(scenario_model& m, std::string file, std::string text,
                 int board_entry);

  // Compiles the whole text, including the closing steps unless a record is
  // rejected. Returns false when a record was rejected. Reading failures and
  // accesses outside the model throw run_time_failure (code 25).
  bool compile();

  // Line of the field in hand while records are read, else 0.
  int failure_line() const;

 private:
  enum class step { next, stop_records, reject };

  bool records();
  step record(const std::string& key);
  step speed_limit(int line);
  step adhesion(int line);
  step signal(int line);
  step slowdown(int line);
  step speed_point(int line);
  step station(int line);
  step station_zone_and_marks(voce& v, int32_t length, int line);
  void closing_steps();

  bool in_range(int32_t p, int32_t margin, int line);
  void reject(int code, std::optional<int32_t> posizione, int line);
  // Writes the speed in force, in units of 5 km/h, at the speed pointer.
  void write_speed();
  // Writes the adhesion in force at the adhesion pointer.
  void write_adhesion();

  scenario_model& m_;
  std::string file_;
  record_reader reader_;
  bool reading_ = false;
  int board_entry_;

  int32_t speed_pointer_ = 0;
  int32_t speed_ = 0;  // no speed is in force before the first record
  int32_t adhesion_pointer_ = 0;
  int32_t adhesion_ = 0;
  int station_ = voce_index::prima_stazione;
};

}  // namespace scenario

#endif  // SCENARIO_COMPILER_TRAIN_COMPILER_H_
