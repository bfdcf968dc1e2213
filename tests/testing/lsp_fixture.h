// The build's two descriptions written into a temporary folder, as an
// editor opens them (UTF-8 text, file URIs), for the language server tests.
#ifndef SCENARIO_TESTS_TESTING_LSP_FIXTURE_H_
#define SCENARIO_TESTS_TESTING_LSP_FIXTURE_H_

#include <filesystem>
#include <string>

#include "testing/lsp_client.h"
#include "testing/temp_dir.h"

namespace scenario::testing {

struct build_pair_files {
  build_pair_files();
  temp_dir dir;
  std::filesystem::path line;
  std::filesystem::path train;
  std::string line_text;  // UTF-8, as an editor holds it
  std::string train_text;
  std::string line_uri;
  std::string train_uri;
};

// didOpen of `text` as `uri`.
void open_document(lsp_client& c, const std::string& uri,
                   const std::string& text, int version = 1);
// One incremental change of a range on one line.
void change_document(lsp_client& c, const std::string& uri, int version,
                     int line, int from, int to, const std::string& text);

// The 0-based line of `text` that starts with `prefix`; -1 when none.
int line_starting(const std::string& text, const std::string& prefix);

// The diagnostics of `params` with code `code`.
json with_code(const json& params, const json& code);

}  // namespace scenario::testing

#endif  // SCENARIO_TESTS_TESTING_LSP_FIXTURE_H_
