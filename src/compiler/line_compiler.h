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
#include "compiler/record_reader.h"
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
  line_compiler(scenario_model& m, std::string file, std::string text);

  // Compiles the whole text. Returns true when the compilation goes on with
  // the train description (no code, or code 15), false when a record was
  // rejected. Reading failures and accesses outside the model throw
  // run_time_failure; the caller turns them into code 25.
  bool compile();

  // The entry that receives the next direction board (80 downward).
  int next_board_entry() const { return board_entry_; }

  // Line of the field in hand while records are read, else 0: where a
  // run-time failure is reported.
  int failure_line() const;

 private:
  enum class step { next, stop_body, reject };

  bool general_block();
  bool general_record(const std::string& key);
  bool signal_repetition(const std::string& key, int line);
  void between_blocks();
  bool body();
  step body_record(std::string& key);
  step gradient(int line);
  step curve(const std::string& key, int line);
  step tunnel(int line);
  step speed_board(int line);
  step direction_board(std::string& riga, int line);
  void closing_steps();

  // The range check of a body record; on failure records code 15.
  bool in_range(int32_t p, int line);
  // Records a rejection of this file.
  void reject(int code, std::optional<int32_t> posizione, int line);
  // Writes the gradient in force into the cell at the pointer, advancing it.
  void write_gradient();

  scenario_model& m_;
  std::string file_;
  record_reader reader_;
  bool reading_ = false;
  plan_drawer plan_;

  int32_t gradient_pointer_ = 0;
  int32_t gradient_ = 0;
  int board_entry_ = voce_index::primo_cartello;
};

}  // namespace scenario

#endif  // SCENARIO_COMPILER_LINE_COMPILER_H_
