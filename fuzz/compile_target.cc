// The whole compilation of a line and train pair held in memory: it ends
// with one of the documented statuses, records only codes a person can be
// told about, at lines that exist, writes files that decode to what it
// compiled, and compiles the same input to the same model whatever the
// model held before.

#include <string>

#include "compiler/compiler.h"
#include "decoding/decoder.h"
#include "fuzz/model_diff.h"
#include "fuzz/targets.h"
#include "fuzz/written_files.h"
#include "model/error_codes.h"
#include "model/model.h"
#include "model/text_8bit.h"
#include "pipeline/report.h"
#include "shell/run.h"

namespace scenario::fuzz {
namespace {

constexpr char line_file[] = "line.txt";
constexpr char train_file[] = "train.txt";

scenario_model named_model() {
  scenario_model m;
  m.percorso = build_percorso;
  m.treno = build_treno;
  return m;
}

struct compiled {
  scenario_model model;
  int status = -1;
};

// A model that has already been through a compilation with tunnels,
// stations, boards, a plan and a recorded code, to see that nothing of it
// leaks into the next one. Built once: the compiler does not depend on it.
scenario_model compile_used_model() {
  scenario_model m = named_model();
  const description_text linea{
      line_file,
      "[generale]\r\n"
      "lunghezza percorso, 12000\r\n"
      "[curve]\r\n"
      "curvad2, 100, 400\r\n"
      "[montagne]\r\n"
      "montagna, 3650, 3750, 12\r\n"
      "[cartelli]\r\n"
      "indicatori_vmax, 850, 90, 95, 95, 0, , , , 0\r\n"
      "[indicazioni]\r\n"
      "cartello_indicatore, 3600, (GALLERIA)(m.100)\r\n"
      "[fine]\r\n",
      {}};
  const description_text treno{
      train_file,
      "[generale]\r\n"
      "numero vetture, 7\r\n"
      "[stazioni]\r\n"
      "stazione, 200, 12, 700, 1, 1, 1, 4, 1, 0, 2, 1, 1, 1, 7, 5, 0, A\r\n"
      "[segnali]\r\n"
      "segnale, 2400, 1, 4, 1, 0, 0, 0, 0, 0, 0, 0\r\n"
      "segnale, 2400, 1, 4, 1, 0, 0, 0, 0, 0, 0, 0\r\n"
      "[fine]\r\n",
      {}};
  compile_in_memory(m, 1, linea, treno);
  return m;
}

std::string check_status(const compiled& c) {
  const scenario_model& m = c.model;
  switch (c.status) {
    case exit_clean:
    case exit_recorded:
    case exit_no_cells:
    case exit_errore:
      break;
    default:
      return "status " + std::to_string(c.status);
  }
  if ((c.status == exit_no_cells) != !m.has_cells()) {
    return "status " + std::to_string(c.status) + " with" +
           (m.has_cells() ? "" : "out") + " cells";
  }
  if (c.status == exit_errore && m.codice_errore != 1250 &&
      m.codice_errore != 1251) {
    return "status 3 with code " + std::to_string(m.codice_errore);
  }
  const bool nothing_recorded = m.diagnostics.empty() && m.codice_errore == 0;
  if ((c.status == exit_clean) != nothing_recorded) {
    return "status " + std::to_string(c.status) + " with " +
           std::to_string(m.diagnostics.size()) + " codes recorded";
  }
  return {};
}

std::string check_codes(const scenario_model& m, const description_text& linea,
                        const description_text& treno) {
  if (!m.diagnostics.empty() &&
      m.diagnostics.back().codice != m.codice_errore) {
    return "the last code recorded is not the model's code";
  }
  const int line_lines = linea.text ? text_lines(*linea.text).count() : 0;
  const int train_lines = treno.text ? text_lines(*treno.text).count() : 0;
  for (const diagnostic& d : m.diagnostics) {
    const std::string code = "code " + std::to_string(d.codice);
    if (error_meaning(d.codice) == error_meaning(-1)) {
      return code + " has no meaning";
    }
    if (error_has_position(d.codice) && !d.posizione) {
      return code + " was recorded without its position";
    }
    int lines = 0;  // a code from no description has no line
    if (d.file == linea.file) {
      lines = line_lines;
    } else if (d.file == treno.file) {
      lines = train_lines;
    } else if (!d.file.empty()) {
      return code + " names the file \"" + d.file + "\"";
    }
    if (d.line < 0 || d.line > lines) {
      return code + " at line " + std::to_string(d.line) + " of " +
             std::to_string(lines);
    }
    // In either language.
    for (const translator& tr : {translator(), translator::for_locale("it")}) {
      if (format_diagnostic(d, true, tr).empty()) {
        return code + " reads as nothing";
      }
      if (!is_valid_utf8(format_diagnostic(d, false, tr)) ||
          !is_valid_utf8(render_message(diagnostic_message(d, tr), false))) {
        return code + " is reported in text that is not UTF-8";
      }
    }
  }
  return {};
}

std::string check_shape(const scenario_model& m) {
  if (!m.has_cells()) return {};
  if (m.celle.size() != static_cast<size_t>(m.numero_celle) + 1) {
    return std::to_string(m.celle.size()) + " cells for numero_celle " +
           std::to_string(m.numero_celle);
  }
  if (m.tracciato.exists() &&
      m.tracciato.size() != static_cast<int64_t>(m.lunghezza_estesa) + 1) {
    return "a plan of " + std::to_string(m.tracciato.size()) +
           " metres for a line of " + std::to_string(m.lunghezza_estesa);
  }
  return {};
}

// What the writers write of a compiled model decodes to the same entries,
// cells and plan.
std::string check_round_trip(const scenario_model& m) {
  std::string why;
  const std::optional<written_files> files = write_and_read(m, &why);
  if (!files) return "the compiled model cannot be written: " + why;
  scenario_model back;
  decode_result r =
      decode_entries(files->entries, "sim", back.voci, translator());
  if (r.ok())
    r = decode_cells(files->cells, "dat", back.voci, back.celle, translator());
  if (r.ok() && files->plan) {
    r = decode_plan(*files->plan, "plan", extended_length(back.voci),
                    back.tracciato, translator());
  }
  if (!r.ok()) return "what the compiler wrote does not decode: " + r.message;
  if (files->plan.has_value() != m.tracciato.exists()) {
    return "a plan was compiled but not written, or the other way round";
  }
  for (const std::string& d :
       {diff_entries(m.voci, back.voci), diff_cells(m.celle, back.celle),
        diff_plan(m.tracciato, back.tracciato)}) {
    if (!d.empty()) return "written and decoded, the model differs: " + d;
  }
  return {};
}

// The same status, codes, cells, entries and plan.
std::string same_model(const compiled& a, const compiled& b) {
  if (a.status != b.status) return "status";
  if (a.model.codice_errore != b.model.codice_errore) return "code";
  if (a.model.diagnostics.size() != b.model.diagnostics.size()) {
    return "number of codes";
  }
  for (size_t i = 0; i < a.model.diagnostics.size(); ++i) {
    if (format_diagnostic(a.model.diagnostics[i], false, translator()) !=
        format_diagnostic(b.model.diagnostics[i], false, translator())) {
      return "code " + std::to_string(i);
    }
  }
  if (std::string d = diff_cells(a.model.celle, b.model.celle); !d.empty()) {
    return d;
  }
  if (std::string d = diff_entries(a.model.voci, b.model.voci); !d.empty()) {
    return d;
  }
  return diff_plan(a.model.tracciato, b.model.tracciato);
}

}  // namespace

std::string compile_target(std::string_view input) {
  const split_input parts = split_at_nul(input);
  const description_text linea{line_file, clamp_line_lengths(parts.first), {}};
  description_text treno{train_file, std::nullopt, "cannot open the file"};
  if (parts.second) treno.text = clamp_line_lengths(*parts.second);

  compiled fresh{named_model()};
  fresh.status = compile_in_memory(fresh.model, 1, linea, treno);
  for (const std::string& broken :
       {check_status(fresh), check_codes(fresh.model, linea, treno),
        check_shape(fresh.model)}) {
    if (!broken.empty()) return broken;
  }

  if (fresh.status == exit_clean || fresh.status == exit_recorded) {
    if (std::string broken = check_round_trip(fresh.model); !broken.empty()) {
      return broken;
    }
  }

  static const scenario_model used = compile_used_model();
  compiled again{used};
  again.status = compile_in_memory(again.model, 1, linea, treno);
  if (std::string d = same_model(fresh, again); !d.empty()) {
    return "the same input compiled differently in a used model: " + d;
  }
  return {};
}

}  // namespace scenario::fuzz
