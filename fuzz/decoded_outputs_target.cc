// What the readers of a decoded scenario print, under any bytes the decoder
// accepts: the summary, a table of cells, the JSON and the CSV of `scenario
// inspect`, the differences of `scenario diff` (both ways, with a small
// scenario of its own) and the report page are valid UTF-8, whatever 8-bit
// names the entries hold, and the JSON parses.

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "decoding/decoder.h"
#include "decoding/diff.h"
#include "decoding/readout.h"
#include "drawing/report_page.h"
#include "fuzz/targets.h"
#include "model/text_8bit.h"
#include "shell/run.h"

namespace scenario::fuzz {
namespace {

// A small compiled scenario with a station, a board and a plan, to compare
// the decoded one with. Built once: nothing changes it.
scenario_model other_scenario() {
  scenario_model m;
  m.percorso = build_percorso;
  m.treno = build_treno;
  const description_text linea{
      "line.txt",
      "[generale]\r\n"
      "lunghezza percorso, 3000\r\n"
      "[indicazioni]\r\n"
      "cartello_indicatore, 1600, (GALLERIA)(m.100)\r\n"
      "[fine]\r\n",
      {}};
  const description_text treno{
      "train.txt",
      "[stazioni]\r\n"
      "stazione, 200, 12, 700, 1, 1, 1, 4, 1, 0, 2, 1, 1, 1, 7, 5, 0, A\r\n"
      "[fine]\r\n",
      {}};
  compile_in_memory(m, 1, linea, treno);
  return m;
}

std::string check_utf8(std::string_view what, const std::string& out) {
  if (is_valid_utf8(out)) return {};
  return std::string(what) + " is not UTF-8";
}

template <typename Writer>
std::string written(Writer write) {
  std::ostringstream out;
  write(out);
  return out.str();
}

std::string check_diff(const scenario_model& a, const scenario_model& b) {
  for (const std::string& line : diff_scenarios(a, b)) {
    if (std::string broken = check_utf8("a line of the differences", line);
        !broken.empty()) {
      return broken;
    }
  }
  return {};
}

}  // namespace

std::string decoded_outputs_target(std::string_view input) {
  const std::vector<std::string_view> files = split_files(input);
  // Filled as the decoder of a folder fills it, under the names the
  // entries hold.
  scenario_model m;
  if (!decode_entries(files[0], "E.sim", m.voci, translator()).ok()) return {};
  if (files.size() < 2) return {};
  if (!decode_cells(files[1], "C.dat", m.voci, m.celle, translator()).ok())
    return {};
  m.percorso = m.voci[voce_index::percorso_generale].nome;
  m.treno = m.voci[voce_index::segnali_generale].nome;
  m.lunghezza_estesa = extended_length(m.voci);
  m.numero_celle = last_cell(m.voci);
  if (files.size() > 2) {
    if (!decode_plan(files[2], "P_linea.dat", extended_length(m.voci),
                     m.tracciato, translator())
             .ok()) {
      return {};
    }
    m.con_tracciato = 1;
  }

  const std::string json_text =
      written([&](std::ostream& out) { write_json(m, out); });
  for (const std::string& broken :
       {check_utf8("the summary", written([&](std::ostream& out) {
                     write_summary(m, out, translator());
                   })),
        check_utf8("the cell table", written([&](std::ostream& out) {
                     write_cell_table(m, 0, 2 * cell_length_m, out,
                                      translator());
                   })),
        check_utf8("the JSON", json_text),
        check_utf8("the CSV", written([&](std::ostream& out) {
                     write_csv(m, m.tracciato.exists(), out);
                   })),
        check_utf8("the report page",
                   drawing::render_report(m, {"compiled files in out/"},
                                          translator()))}) {
    if (!broken.empty()) return broken;
  }
  if (!nlohmann::json::accept(json_text)) return "the JSON does not parse";

  static const scenario_model other = other_scenario();
  for (const std::string& broken :
       {check_diff(m, other), check_diff(other, m)}) {
    if (!broken.empty()) return broken;
  }
  return {};
}

}  // namespace scenario::fuzz
