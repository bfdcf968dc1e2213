// Compiles the line description into the model: the general values of the
// line (length and cell array, kilometric references, backgrounds, signal
// repetition), then the body records (gradient, curves of the plan, tunnel
// spans, maximum-speed boards, direction boards) and the closing fills.
// Used once per compilation by memorizza_dati, before the train description.
#ifndef SCENARIO_COMPILER_LINE_COMPILER_H_
#define SCENARIO_COMPILER_LINE_COMPILER_H_

#include <cstdint>
#include <optional>
#include <string>

#include "compiler/plan.h"
#include "compiler/policy.h"
#include "compiler/record_reader.h"
#include "model/error_codes.h"
#include "model/model.h"

namespace scenario {

// Margin of the range check of every record but stations.
constexpr int32_t record_margin_m = 100;

// The range check shared by both descriptions: a record at `p` fits when
// (p + margin) / 50, computed exactly, does not exceed numero_celle. Throws
// run_time_failure when the cells do not exist yet.
bool record_fits(const scenario_model& m, int32_t p, int32_t margin);

class line_compiler {
 public:
  // `file` names the description in the diagnostics; `text` is all of it.
  line_compiler(scenario_model& m, std::string file, std::string text,
                compile_policy policy = {});

  // Compiles the whole text. Returns true when the compilation goes on with
  // the train description (no code, or code 15; when keeping going, any code
  // but those that leave no cells), false when it ends. Reading failures and
  // accesses outside the model throw run_time_failure (when keeping going,
  // only those after which nothing can follow); the caller turns them into
  // code 25.
  bool compile();

  // The entry that receives the next direction board (80 downward).
  int next_board_entry() const { return board_entry_; }

  // The field in hand while records are read, else no place: where a
  // run-time failure is reported.
  source_span failure_span() const;

 private:
  // What a handler leaves to the loop: go on, end the body (code 15), or end
  // the compiler (a rejection).
  enum class step { next, stop_body, reject };

  bool general_block();
  bool general_record(const std::string& key);
  bool signal_repetition(const std::string& key);
  void between_blocks();
  bool body();
  step body_record(std::string& key);
  step gradient();
  step curve(const std::string& key);
  step tunnel();
  step speed_board();
  step direction_board(std::string& riga);
  void closing_steps();

  // The range check of a body record; on failure records code 15.
  bool in_range(int32_t p, const field_place& at);
  // Records a rejection of this file at the field `at`.
  void reject(error_code code, std::optional<int32_t> posizione,
              const field_place& at);
  // What a rejected record or a failed range check does to the loop: under
  // the strict policy `strict`, when keeping going the record is skipped.
  step after_rejection(step strict) const;
  // Tells the observer, if any, about the record whose fields start at
  // `first` in the reader's log.
  void notify(record_kind kind, size_t first, bool accepted);
  size_t fields_so_far() const { return reader_.record_fields().size(); }
  // Writes the gradient in force into the cell at the pointer, advancing it.
  void write_gradient();

  scenario_model& m_;
  std::string file_;
  record_reader reader_;
  compile_policy policy_;
  bool reading_ = false;
  plan_drawer plan_;
  std::string key_;              // the key in hand, kept for the observer
  bool general_failed_ = false;  // a reading failure in the general block

  int32_t gradient_pointer_ = 0;
  int32_t gradient_ = 0;
  int board_entry_ = voce_index::primo_cartello;
};

}  // namespace scenario

#endif  // SCENARIO_COMPILER_LINE_COMPILER_H_
