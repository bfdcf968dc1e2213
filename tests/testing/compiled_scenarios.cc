#include "testing/compiled_scenarios.h"

#include <gtest/gtest.h>

#include "compiler/fixtures/descriptions.h"
#include "output/binary_files.h"
#include "shell/run.h"

namespace scenario::testing {

std::string every_kind_line() {
  return line_description(
      20000, {
                 "curvad2,  100,  200",
                 "curvas1,  3000,  400",
                 "pendenza,   0,    5",
                 "pendenza,   6000,    -3",
                 "montagna,   4000,  5000,  11",
                 "montagna,   8000,  8500,  12",
                 "indicatori_vmax,  2050,  100,  120,  120,  0,  ,  ,  ,  0",
                 "cartello_indicatore,  3950,   (GALLERIA)(PROVA)(m.1000)",
             });
}

std::string every_kind_train() {
  return train_description({
      "percentuale massa frenata,    100",
      "numero vetture,    7",
      "sabbia,    0",
      "orologio,    7   5   30 ",
      "aderenza,   0,    100",
      "aderenza,   9000,    80",
      "velocita,   0,    30",
      "velocita,   1000,    100",
      "stazione,     200, 12,  700,  1, 1, 1,  4,1,0,  2,1,1,    1,   7, 5, "
      "0, ALFA",
      "stazione,   10050, 26,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, "
      "0, BETA",
      "stazione,   16000,  4,  700,  1, 1, 1,  1,1,0,  2,1,1,    0,   7,44, "
      "0, CITT\xC0",
      "segnale,    1000,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,    7000,   2, 4, 1,  0, 0,    0,  0,0,0, 50",
      "rallentamento,  12000,  60,  1000,  1,  1,  0",
      "abbattimento,   2500,   60",
      "abbattimento,   3000,   0",
  });
}

void compile_every_kind(scenario_model& m, const std::string& percorso,
                        const std::string& treno, bool with_plan) {
  m.percorso = percorso;
  m.treno = treno;
  const int status = compile_in_memory(m, with_plan ? 1 : 0,
                                       {"line.txt", every_kind_line(), ""},
                                       {"train.txt", every_kind_train(), ""});
  ASSERT_EQ(status, exit_clean)
      << (m.diagnostics.empty() ? 0 : m.diagnostics.back().codice);
}

void write_every_kind(const std::filesystem::path& dir,
                      const std::string& percorso, const std::string& treno,
                      bool with_plan) {
  scenario_model m;
  compile_every_kind(m, percorso, treno, with_plan);
  file_failure failure;
  ASSERT_TRUE(write_binary_files(m, dir, &failure));
}

}  // namespace scenario::testing
