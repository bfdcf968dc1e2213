#include "editing/picture.h"

#include <filesystem>
#include <string>
#include <vector>

#include "checking/check.h"
#include "drawing/report_findings.h"
#include "drawing/report_page.h"
#include "editing/document.h"
#include "model/text_8bit.h"
#include "pipeline/compile.h"

namespace scenario::editing {
namespace {

using json = nlohmann::json;

// The route and train a builder's pair names: "R_linea.txt" and "R_T-.txt";
// other names stand for themselves.
void name_scenario(const description_text& linea, const description_text& treno,
                   scenario_model& m) {
  const std::string line = std::filesystem::path(linea.file).stem().string();
  std::string train = std::filesystem::path(treno.file).stem().string();
  const std::string suffix = "_linea";
  m.percorso = line.ends_with(suffix)
                   ? line.substr(0, line.size() - suffix.size())
                   : line;
  if (train.starts_with(m.percorso + "_")) {
    train = train.substr(m.percorso.size() + 1);
  }
  if (train.ends_with("-")) train.pop_back();
  m.treno = train;
}

json place_json(const field_place& at) {
  return {{"line", at.line - 1},
          {"character", at.column - 1},
          {"length", at.length}};
}

// The station records, where the drawing's stations come from.
json station_objects(const record_list& records,
                     const std::string& train_uri) {
  json objects = json::array();
  for (const record_as_read& r : records) {
    if (r.kind != record_kind::station || r.text_at().line <= 0) continue;
    json o = place_json(r.key_at());
    o["kind"] = "station";
    o["name"] = windows1252_to_utf8(r.text());
    o["uri"] = train_uri;
    objects.push_back(std::move(o));
  }
  return objects;
}

}  // namespace

json picture_of(const description_text& linea, const description_text& treno,
                const warning_options& warnings, const translator& tr) {
  scenario_model m;
  name_scenario(linea, treno, m);
  // The simulator's build compiles the same texts strictly: its codes and
  // where it stops are marked among the findings, not assumed absent.
  scenario_model strict;
  strict.percorso = m.percorso;
  strict.treno = m.treno;
  compile_in_memory(strict, 1, linea, treno);
  std::vector<curve_stretch> curves;
  record_list records;
  const check_result found = check_descriptions(
      linea, treno, warnings, tr,
      {.compiled = &m, .curves = &curves, .records = &records});
  drawing::page_options page;
  page.source = treno.text ? tr.format("the text being edited of %s and %s",
                                       path_to_printable(linea.file),
                                       path_to_printable(treno.file))
                           : tr.format("the text being edited of %s",
                                       path_to_printable(linea.file));
  page.findings = drawing::problems_of_check(found, strict.diagnostics, tr);
  page.curves = &curves;
  json files = json::array();
  for (const description_text* t : {&linea, &treno}) {
    if (!t->text) continue;  // a line checked without a train
    files.push_back(
        {{"name", path_to_printable(t->file)}, {"uri", uri_of_path(t->file)}});
  }
  return {{"html", drawing::render_report(m, page, tr)},
          {"objects", station_objects(records, uri_of_path(treno.file))},
          {"files", std::move(files)}};
}

}  // namespace scenario::editing
