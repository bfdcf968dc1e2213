// The fuzz targets as plain functions. Each runs one part of the library on
// one input and returns the first broken invariant it sees, or an empty
// string; the sanitizers catch the rest. The libFuzzer entry points
// (fuzz/*_fuzz.cc, built only with -DSCENARIO_FUZZ=ON) and the test suite's
// replay of the kept inputs (fuzz/corpus, fuzz/regressions) call the same
// functions.
#ifndef SCENARIO_FUZZ_TARGETS_H_
#define SCENARIO_FUZZ_TARGETS_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::fuzz {

// Input: reader operations, a NUL byte, then the text read. Without a NUL
// the whole input is the text, read one text field after another.
std::string record_reader_target(std::string_view input);

// Input: the line description, a NUL byte, then the train description.
// Without a NUL the train description cannot be read. Line lengths are
// clamped first (clamp_line_lengths).
std::string compile_target(std::string_view input);

// Input: the bytes of an entry table (.sim), then file_separator and the
// bytes of its cell array (.dat), then file_separator and the bytes of its
// plan (_linea.dat). A part that is not there is not decoded.
std::string decoder_target(std::string_view input);
inline constexpr std::string_view file_separator = "--next scenario file--";
std::vector<std::string_view> split_files(std::string_view input);

// Input: as for compile_target, checked with every warning on, and the
// findings rendered as text, JSON and SARIF and read back.
std::string check_target(std::string_view input);

// Input: as for compile_target; both files are formatted, which must change
// blanks only, settle at once and compile to the same scenario.
std::string format_target(std::string_view input);

// Input: the bytes a language server reads from its client.
std::string message_reader_target(std::string_view input);

// Input: as for decoder_target. What the readers of a decoded scenario
// print (the summary, the JSON, the CSV, the differences with another
// scenario, the report page) is valid UTF-8, and the JSON parses.
std::string decoded_outputs_target(std::string_view input);

// Input: a JSON object of train values, as `scenario timing --params`
// reads it, then a NUL byte and the bytes of a small line (three per
// 200 m stretch: limit, gradient, curve). Refused values are fine; else
// the run is finite, within the limit under the whole train and the top
// speed, its times only grow, and its outputs print no NaN or infinity.
std::string timing_target(std::string_view input);

// A line length above this many metres (and within the longest line
// accepted) is clamped to it in the inputs of the compiling targets, so
// that the per-metre plan stays small and each run fast; a length above
// the longest accepted is kept, since it is refused without a plan.
inline constexpr int64_t fuzz_line_length_bound_m = 2000;
std::string clamp_line_lengths(std::string_view description);

struct target {
  std::string_view name;  // also the folder of its inputs
  std::string (*run)(std::string_view input);
};

// Every target, for the replay.
std::span<const target> all_targets();

// The two parts of an input around its first NUL byte; no second part when
// there is no NUL.
struct split_input {
  std::string_view first;
  std::optional<std::string_view> second;
};
split_input split_at_nul(std::string_view input);

// The lines of a text as the record reader counts them (CR LF, a lone LF
// and a lone CR each end one), without their line ends. Split once, so that
// a target can look up every finding's line.
class text_lines {
 public:
  explicit text_lines(std::string_view text);
  int count() const { return static_cast<int>(lines_.size()); }
  // Line `n` (1-based); empty when there is no such line.
  std::string_view line(int n) const;

 private:
  std::vector<std::string_view> lines_;
};

// Characters of a UTF-8 text (bytes that begin one).
int utf8_characters(std::string_view utf8);

}  // namespace scenario::fuzz

#endif  // SCENARIO_FUZZ_TARGETS_H_
