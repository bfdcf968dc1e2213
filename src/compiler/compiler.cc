#include "compiler/compiler.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>

#include "compiler/line_compiler.h"
#include "compiler/run_time_failure.h"
#include "compiler/train_compiler.h"

namespace scenario {

namespace {

constexpr int reading_failure = 25;
constexpr int missing_line_file = 101;

// The whole text of a description; a file that cannot be read is a
// run-time failure.
std::string read_description(const std::filesystem::path& p) {
  errno = 0;
  std::ifstream in(p, std::ios::binary);
  if (!in) {
    const int err = errno;
    throw run_time_failure(
        std::string("cannot open the file") +
        (err != 0 ? ": " + std::string(std::strerror(err)) : std::string()));
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw run_time_failure("cannot read the file");
  return text.str();
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

enum class outcome { go_on, rejected, failed };

// A run-time failure is code 25 at the line the compiler was reading, with
// what exactly failed.
void record_failure(scenario_model& m, const std::string& file, int line,
                    const run_time_failure& e) {
  record_error(m, reading_failure, std::nullopt, file, line, e.what());
}

outcome compile_line(scenario_model& m, const std::filesystem::path& p,
                     int* board_entry) {
  const std::string file = p.string();
  std::optional<line_compiler> c;
  try {
    c.emplace(m, file, read_description(p));
    if (!c->compile()) return outcome::rejected;
    *board_entry = c->next_board_entry();
    return outcome::go_on;
  } catch (const run_time_failure& e) {
    record_failure(m, file, c ? c->failure_line() : 0, e);
    return outcome::failed;
  }
}

outcome compile_train(scenario_model& m, const std::filesystem::path& p,
                      int board_entry) {
  const std::string file = p.string();
  std::optional<train_compiler> c;
  try {
    c.emplace(m, file, read_description(p), board_entry);
    return c->compile() ? outcome::go_on : outcome::rejected;
  } catch (const run_time_failure& e) {
    record_failure(m, file, c ? c->failure_line() : 0, e);
    return outcome::failed;
  }
}

}  // namespace

void memorizza_dati(scenario_model& m, const compile_inputs& in) {
  voce_at(m, voce_index::percorso_generale).nome = m.percorso;
  voce_at(m, voce_index::segnali_generale).nome = m.treno;
  // The cells and the plan belong to this compilation's line length; until
  // it is read any use of them is a failure.
  m.celle.clear();
  m.tracciato.clear();
  m.numero_celle = 0;
  m.lunghezza_estesa = 0;

  const description_files files(in);
  std::error_code ec;
  if (!std::filesystem::exists(in.linea, ec)) {
    record_error(m, missing_line_file, std::nullopt, in.linea.string(), 0);
    return;
  }

  // Each description is deleted once read; a rejection in the line
  // description leaves the train description, a failure deletes both.
  int board_entry = voce_index::primo_cartello;
  const outcome line = compile_line(m, in.linea, &board_entry);
  files.delete_line();
  if (line == outcome::rejected) return;
  if (line == outcome::failed) {
    files.delete_train();
    return;
  }
  compile_train(m, in.treno, board_entry);
  files.delete_train();
}

}  // namespace scenario
