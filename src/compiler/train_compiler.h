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

#include "compiler/policy.h"
#include "compiler/record_reader.h"
#include "model/error_codes.h"
#include "model/model.h"

namespace scenario {

// Margin of the range check of a station record.
constexpr int32_t station_margin_m = 800;

// The zone of a station in metres, from its position, kind, length and
// flag4 (column 6) as read.
struct station_zone {
  int64_t inizio = 0;
  int64_t fine = 0;
};
station_zone zone_of_station(int64_t posizione, int64_t kind, int64_t length,
                             int64_t flag4);

class train_compiler {
 public:
  // `file` names the description in the diagnostics; `text` is all of it;
  // `board_entry` is the entry the line description would give its next
  // direction board (stations must stay below it).
  train_compiler(scenario_model& m, std::string file, std::string text,
                 int board_entry, compile_policy policy = {});

  // Compiles the whole text, including the closing steps unless a record is
  // rejected (when keeping going, rejected records are skipped and the
  // closing steps always run). Returns false when a record was rejected
  // strictly. Reading failures and accesses outside the model throw
  // run_time_failure (code 25).
  bool compile();

  // The field in hand while records are read, else no place.
  source_span failure_span() const;

 private:
  enum class step { next, stop_records, reject };

  bool records();
  step record(const std::string& key);
  step speed_limit();
  step adhesion();
  step signal();
  step slowdown();
  step speed_point();
  step station();
  step station_zone_and_marks(voce& v, int32_t length, const field_place& at);
  void closing_steps();

  bool in_range(int32_t p, int32_t margin, const field_place& at);
  void reject(error_code code, std::optional<int32_t> posizione,
              const field_place& at);
  step after_rejection(step strict) const;
  void notify(record_kind kind, size_t first, bool accepted);
  size_t fields_so_far() const { return reader_.record_fields().size(); }
  // Writes the speed in force, in units of 5 km/h, at the speed pointer.
  void write_speed();
  // Writes the adhesion in force at the adhesion pointer.
  void write_adhesion();

  scenario_model& m_;
  std::string file_;
  record_reader reader_;
  compile_policy policy_;
  bool reading_ = false;
  int board_entry_;
  std::string key_;        // the key in hand, kept for the observer
  bool rejected_ = false;  // the station in hand was refused

  int32_t speed_pointer_ = 0;
  int32_t speed_ = 0;  // no speed is in force before the first record
  int32_t adhesion_pointer_ = 0;
  int32_t adhesion_ = 0;
  int station_ = voce_index::prima_stazione;
};

}  // namespace scenario

#endif  // SCENARIO_COMPILER_TRAIN_COMPILER_H_
