#include "testing/lsp_fixture.h"

#include <sstream>

#include "editing/server.h"
#include "model/file_uri.h"
#include "model/text_8bit.h"
#include "output/replace_file.h"
#include "shell/run.h"
#include "sources/sources.h"

namespace scenario::testing {

build_pair_files::build_pair_files() {
  file_failure failure;
  dati_linea(dir.path(), build_percorso, &failure);
  dati_treno(dir.path(), build_percorso, build_treno, &failure);
  line = linea_txt_path(dir.path(), build_percorso);
  train = treno_txt_path(dir.path(), build_percorso, build_treno);
  line_text = windows1252_to_utf8(read_file(line));
  train_text = windows1252_to_utf8(read_file(train));
  line_uri = uri_of_path(utf8_of_path(line));
  train_uri = uri_of_path(utf8_of_path(train));
}

void open_document(lsp_client& c, const std::string& uri,
                   const std::string& text, int version) {
  c.notify("textDocument/didOpen", {{"textDocument",
                                     {{"uri", uri},
                                      {"languageId", "scenario"},
                                      {"version", version},
                                      {"text", text}}}});
}

void change_document(lsp_client& c, const std::string& uri, int version,
                     int line, int from, int to, const std::string& text) {
  c.notify("textDocument/didChange",
           {{"textDocument", {{"uri", uri}, {"version", version}}},
            {"contentChanges",
             {{{"range",
                {{"start", {{"line", line}, {"character", from}}},
                 {"end", {{"line", line}, {"character", to}}}}},
               {"text", text}}}}});
}

int line_starting(const std::string& text, const std::string& prefix) {
  std::istringstream in(text);
  std::string l;
  for (int n = 0; std::getline(in, l); ++n) {
    if (l.rfind(prefix, 0) == 0) return n;
  }
  return -1;
}

json with_code(const json& params, const json& code) {
  json out = json::array();
  for (const json& d : params["diagnostics"]) {
    if (d["code"] == code) out.push_back(d);
  }
  return out;
}

}  // namespace scenario::testing
