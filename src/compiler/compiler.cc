#include "compiler/compiler.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>

#include "compiler/line_compiler.h"
#include "compiler/run_time_failure.h"
#include "compiler/train_compiler.h"
#include "model/error_codes.h"
#include "output/format.h"

namespace scenario {

namespace {

constexpr int missing_line_file = code_number(error_code::line_missing);

// The whole text of a description; a file that cannot be read is a
// run-time failure.
std::string read_description(const std::filesystem::path& p) {
  errno = 0;
  std::ifstream in(p, std::ios::binary);
  if (!in) {
    const int err = errno;
    if (err == 0) throw run_time_failure(N_("cannot open the file"));
    throw run_time_failure(N_("cannot open the file: %s"), {std::strerror(err)},
                           {0});
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw run_time_failure(N_("cannot read the file"));
  return text.str();
}

// The text of a description, or the run-time failure of reading it.
const std::string& text_of(const description_text& d) {
  if (!d.text) {
    if (d.failure_worded.pattern != nullptr) {
      throw run_time_failure(d.failure_worded);
    }
    throw run_time_failure("%s", {d.failure});
  }
  return *d.text;
}

// The descriptions are deleted once read, unless the caller keeps them.
class description_files {
 public:
  explicit description_files(const compile_inputs& in) : in_(in) {}
  void delete_line() const { delete_file(in_.linea); }
  void delete_train() const { delete_file(in_.treno); }

 private:
  void delete_file(const std::filesystem::path& p) const {
    if (!in_.delete_sources) return;
    std::error_code ec;
    if (std::filesystem::is_regular_file(p, ec)) {
      std::filesystem::remove(p, ec);
    }
  }
  const compile_inputs& in_;
};

// What the compilation does with the descriptions between its steps: the
// run deletes each once read, the in-memory compilation keeps them.
struct description_steps {
  std::function<bool()> line_exists;
  std::function<description_text()> load_line;
  std::function<description_text()> load_train;
  std::function<void()> delete_line;
  std::function<void()> delete_train;
};

enum class outcome { go_on, rejected, failed };

// Cell 1 carries the format marker of the cell file: a line so short that
// it has no cell 1 cannot become a scenario. Its cells are dropped, so that
// no file is written from them.
void refuse_too_short_line(scenario_model& m, const std::string& file) {
  record_failure(
      m, file, source_span{},
      run_time_failure(
          N_("a line of %s m has no cell 1 for the format marker"),
          {std::to_string(m.voci[voce_index::treno_generale].fine)}));
  m.celle.clear();
  m.tracciato.clear();
  m.numero_celle = 0;
  m.lunghezza_estesa = 0;
}

outcome compile_line(scenario_model& m, const description_text& d,
                     int* board_entry, const compile_policy& policy) {
  const std::string& file = d.file;
  std::optional<line_compiler> c;
  try {
    c.emplace(m, file, text_of(d), policy);
    if (!c->compile()) return outcome::rejected;
    *board_entry = c->next_board_entry();
    return outcome::go_on;
  } catch (const run_time_failure& e) {
    record_failure(m, file, c ? c->failure_span() : source_span{}, e);
    if (c) *board_entry = c->next_board_entry();
    return outcome::failed;
  }
}

outcome compile_train(scenario_model& m, const description_text& d,
                      int board_entry, const compile_policy& policy) {
  const std::string& file = d.file;
  std::optional<train_compiler> c;
  try {
    c.emplace(m, file, text_of(d), board_entry, policy);
    return c->compile() ? outcome::go_on : outcome::rejected;
  } catch (const run_time_failure& e) {
    record_failure(m, file, c ? c->failure_span() : source_span{}, e);
    return outcome::failed;
  }
}

// The compiler's sequence: the line description, then the train
// description. A rejection in the line description leaves the train
// description, a failure deletes both. Keeping going, the train description
// is compiled whenever the cells exist.
void compile_sequence(scenario_model& m, const std::string& line_file,
                      const description_steps& steps,
                      const compile_policy& policy) {
  voce_at(m, voce_index::percorso_generale).nome = m.percorso;
  voce_at(m, voce_index::segnali_generale).nome = m.treno;
  // The cells and the plan belong to this compilation's line length; until
  // it is read any use of them is a failure.
  m.celle.clear();
  m.tracciato.clear();
  m.numero_celle = 0;
  m.lunghezza_estesa = 0;

  if (!steps.line_exists()) {
    record_error(m, missing_line_file, std::nullopt, line_file, 0);
    return;
  }
  int board_entry = voce_index::primo_cartello;
  outcome line = compile_line(m, steps.load_line(), &board_entry, policy);
  steps.delete_line();
  if (m.has_cells() && m.numero_celle < format::marker_cell) {
    line = outcome::failed;
    refuse_too_short_line(m, line_file);
  }
  if (policy.keep_going) {
    if (m.has_cells())
      compile_train(m, steps.load_train(), board_entry, policy);
    steps.delete_train();
    return;
  }
  if (line == outcome::rejected) return;
  if (line == outcome::failed) {
    steps.delete_train();
    return;
  }
  compile_train(m, steps.load_train(), board_entry, policy);
  steps.delete_train();
}

}  // namespace

description_text load_description(const std::filesystem::path& p) {
  description_text d{p.string(), std::nullopt, {}};
  try {
    d.text = read_description(p);
  } catch (const run_time_failure& e) {
    d.failure = e.what();
    d.failure_worded = e.worded();
  }
  return d;
}

void memorizza_dati(scenario_model& m, const compile_inputs& in) {
  const description_files files(in);
  compile_sequence(m, in.linea.string(),
                   {.line_exists =
                        [&] {
                          std::error_code ec;
                          return std::filesystem::exists(in.linea, ec);
                        },
                    .load_line = [&] { return load_description(in.linea); },
                    .load_train = [&] { return load_description(in.treno); },
                    .delete_line = [&] { files.delete_line(); },
                    .delete_train = [&] { files.delete_train(); }},
                   {});
}

void compile_descriptions(scenario_model& m, const description_text& linea,
                          const description_text& treno,
                          const compile_policy& policy) {
  compile_sequence(m, linea.file,
                   {.line_exists = [&] { return linea.text.has_value(); },
                    .load_line = [&] { return linea; },
                    .load_train = [&] { return treno; },
                    .delete_line = [] {},
                    .delete_train = [] {}},
                   policy);
}

}  // namespace scenario
