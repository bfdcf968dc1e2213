// `scenario lsp` as an editor runs it: a child process spoken to through
// real pipes. Framing, lifecycle and exit statuses, malformed input, the
// diagnostics of an edit, a pair in an accented folder served by the URIs
// the editor sent (file:///C:/... on Windows), and the --stdio flag that
// clients add.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "model/file_uri.h"
#include "model/text_8bit.h"
#include "output/replace_file.h"
#include "sources/source_names.h"
#include "sources/sources.h"
#include "testing/lsp_client.h"
#include "testing/lsp_fixture.h"
#include "testing/process.h"

namespace scenario::testing {
namespace {

json message(int id, const std::string& method, json params = json::object()) {
  return {{"jsonrpc", "2.0"},
          {"id", id},
          {"method", method},
          {"params", std::move(params)}};
}

const json exit_notification = {{"jsonrpc", "2.0"}, {"method", "exit"}};

TEST(lsp_command, a_message_split_across_writes_and_two_in_one_write_are_read) {
  lsp_client c(SCENARIO_TOOL_PATH);
  const std::string init = frame_of(message(1, "initialize"));
  // Cut inside the header and inside the body, with pauses between.
  c.write_raw(init.substr(0, 7));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  c.write_raw(init.substr(7, 30));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  c.write_raw(init.substr(37));
  const json a = c.answer(1);
  EXPECT_TRUE(a["result"]["capabilities"]["hoverProvider"]) << a.dump();
  EXPECT_EQ(a["result"]["capabilities"]["textDocumentSync"]["change"], 2);
  c.write_raw(frame_of(message(2, "textDocument/documentSymbol",
                               {{"textDocument", {{"uri", "file:///none"}}}})) +
              frame_of(message(3, "shutdown")));
  EXPECT_EQ(c.answer(2)["result"], json::array());
  EXPECT_TRUE(c.answer(3).contains("result"));
  c.send(exit_notification);
  EXPECT_EQ(c.wait(), 0);
}

TEST(lsp_command, exits_0_after_shutdown_and_1_without) {
  const struct {
    const char* name;
    bool shutdown;
    bool exit;
    int status;
  } cases[] = {
      {"shutdown, exit", true, true, 0},
      {"exit alone", false, true, 1},
      {"end of input alone", false, false, 1},
      {"shutdown, end of input", true, false, 0},
  };
  for (const auto& k : cases) {
    lsp_client c(SCENARIO_TOOL_PATH);
    c.initialize();
    if (k.shutdown) {
      c.request(5, "shutdown", nullptr);
      EXPECT_EQ(c.answer(5)["result"], nullptr) << k.name;
      // Nothing but exit is served after shutdown.
      c.request(6, "textDocument/hover", json::object());
      EXPECT_EQ(c.answer(6)["error"]["code"], -32600) << k.name;
    }
    if (k.exit) {
      c.send(exit_notification);
    } else {
      c.close_input();
    }
    EXPECT_EQ(c.wait(), k.status) << k.name;
  }
}

TEST(lsp_command, malformed_messages_get_errors_and_serving_goes_on) {
  lsp_client c(SCENARIO_TOOL_PATH);
  c.request(1, "textDocument/hover", json::object());
  EXPECT_EQ(c.answer(1)["error"]["code"], -32002);  // before initialize
  c.initialize();
  const struct {
    std::string bytes;
    json id;
    int code;
  } cases[] = {
      {frame_of(message(3, "initialize")), 3, -32600},
      {"Content-Length: 8\r\n\r\n{\"jsonrp", nullptr, -32700},
      {"Content-Type: text\r\n\r\n", nullptr, -32700},
      {"Content-Length: many\r\n\r\n", nullptr, -32700},
      {frame_of(json::array({1, 2})), nullptr, -32600},
      {frame_of({{"jsonrpc", "1.0"}, {"id", 4}, {"method", "shutdown"}}), 4,
       -32600},
      {frame_of({{"jsonrpc", "2.0"}, {"id", {{"a", 1}}}, {"method", "x"}}),
       {{"a", 1}},
       -32600},
      {frame_of({{"jsonrpc", "2.0"}, {"id", 5}, {"method", 12}}), 5, -32600},
      {frame_of(message(6, "no/such/method")), 6, -32601},
      {frame_of(message(7, "textDocument/hover", {{"position", 3}})), 7,
       -32602},
      {frame_of(
           message(8, "textDocument/hover", {{"textDocument", {{"uri", 9}}}})),
       8, -32602},
  };
  for (const auto& k : cases) {
    c.write_raw(k.bytes);
    const std::optional<json> m = c.next();
    ASSERT_TRUE(m) << k.bytes;
    EXPECT_EQ((*m)["id"], k.id) << k.bytes;
    EXPECT_EQ((*m)["error"]["code"], k.code) << k.bytes << "\n" << m->dump();
  }
  // Notifications that cannot be served are dropped without an answer.
  c.notify("textDocument/didChange", {{"textDocument", 1}});
  c.notify("no/such/notification", json::object());
  c.request(9, "shutdown", nullptr);
  const json a = c.answer(9);
  EXPECT_TRUE(a.contains("result")) << a.dump();
  EXPECT_TRUE(c.skipped.empty());
  c.send(exit_notification);
  EXPECT_EQ(c.wait(), 0);
}

TEST(lsp_command, an_incremental_edit_after_an_accented_name_is_checked) {
  build_pair_files f;
  lsp_client c(SCENARIO_TOOL_PATH);
  c.initialize({{"rootUri", uri_of_path(utf8_of_path(f.dir.path()))}});
  // An accented station name, then a signal line edited after it.
  std::string text = f.train_text;
  text.replace(text.find("BRENOLA"), 7, "BREN\xC3\x93LA \xC3\xA8");
  open_document(c, f.train_uri, text);
  json d = c.diagnostics_for(f.train_uri);
  EXPECT_TRUE(with_code(d, 16).empty());
  const int brenola = line_starting(text, "stazione,    6900,");
  const int signal = line_starting(text, "segnale,    4900,");
  change_document(c, f.train_uri, 2, signal, 12, 16, "2400");
  d = c.diagnostics_for(f.train_uri);
  EXPECT_EQ(d["version"], 2);
  const json occupied = with_code(d, 16);
  ASSERT_EQ(occupied.size(), 1u) << d.dump();
  EXPECT_EQ(occupied[0]["range"]["start"],
            json({{"line", signal}, {"character", 12}}));
  // A hover after the "Ó" of the name finds the name's field (UTF-16
  // column 78 is byte 79 of the UTF-8 line) and reads it back as UTF-8.
  c.request(4, "textDocument/hover",
            {{"textDocument", {{"uri", f.train_uri}}},
             {"position", {{"line", brenola}, {"character", 78}}}});
  const json h = c.answer(4);
  EXPECT_NE(h.dump().find("BREN\xC3\x93LA \xC3\xA8"), std::string::npos)
      << h.dump();
  c.request(5, "shutdown", nullptr);
  c.answer(5);
  c.send(exit_notification);
  EXPECT_EQ(c.wait(), 0);
}

// The URI of `path` as an editor writes it: on Windows VS Code writes the
// drive letter in lower case and its colon escaped (file:///c%3A/...).
std::string editor_uri(const std::filesystem::path& path, bool vscode_drive) {
  std::string uri = uri_of_path(utf8_of_path(path));
  if (vscode_drive && uri.size() > 10 && uri.compare(9, 2, ":/") == 0) {
    uri = "file:///" +
          std::string(1, static_cast<char>(std::tolower(
                             static_cast<unsigned char>(uri[8])))) +
          "%3A" + uri.substr(10);
  }
  return uri;
}

// The diagnostics published for `uri`: the last already seen, or the next.
json published_for(lsp_client& c, const std::string& uri) {
  for (auto m = c.skipped.rbegin(); m != c.skipped.rend(); ++m) {
    if (m->value("method", "") == "textDocument/publishDiagnostics" &&
        (*m)["params"]["uri"] == uri) {
      return (*m)["params"];
    }
  }
  return c.diagnostics_for(uri);
}

TEST(lsp_command, a_pair_in_an_accented_folder_is_served_by_the_uris_sent) {
  temp_dir dir;
  const std::filesystem::path folder =
      dir.path() / path_of_utf8("Citt\xC3\xA0");
  std::filesystem::create_directory(folder);
  file_failure failure;
  ASSERT_TRUE(dati_linea(folder, build_percorso, &failure));
  ASSERT_TRUE(dati_treno(folder, build_percorso, build_treno, &failure));
  const std::filesystem::path line = linea_txt_path(folder, build_percorso);
  const std::filesystem::path train =
      treno_txt_path(folder, build_percorso, build_treno);
  // The first signal of the train moved past the end of the line: past the
  // cells the line's length makes (code 15), which only the pair knows.
  std::string train_text = windows1252_to_utf8(read_file(train));
  const int moved = line_starting(train_text, "segnale,");
  ASSERT_GE(moved, 0);
  const size_t at = train_text.find("segnale,");
  const size_t digits = train_text.find_first_of("0123456789", at);
  train_text.replace(digits, train_text.find(',', digits) - digits, "990000");

  for (const bool vscode_drive : {false, true}) {
    const std::string train_uri = editor_uri(train, vscode_drive);
    SCOPED_TRACE(train_uri);
    // The line, not open, is named by the URI of its path as the train's
    // URI gives it (a drive letter as the editor wrote it).
    const std::string line_uri =
        uri_of_path(path_of_uri(editor_uri(line, vscode_drive)));
    EXPECT_NE(line_uri.find("/Citt%C3%A0/"), std::string::npos) << line_uri;
    EXPECT_EQ(line_uri.find("%5C"), std::string::npos) << line_uri;
    if (native_path_style == path_style::windows) {
      EXPECT_EQ(line_uri.substr(0, 8), "file:///") << line_uri;
      EXPECT_EQ(line_uri.substr(9, 2), ":/") << line_uri;
      EXPECT_TRUE(
          train_uri.starts_with(vscode_drive ? "file:///c%3A/" : "file:///C:/"))
          << train_uri;
    }
    lsp_client c(SCENARIO_TOOL_PATH);
    c.initialize({{"rootUri", editor_uri(folder, vscode_drive)}});
    open_document(c, train_uri, train_text);
    const json for_train = published_for(c, train_uri);
    ASSERT_TRUE(for_train.is_object());
    EXPECT_TRUE(with_code(for_train, 101).empty()) << for_train.dump();
    const json beyond_cells = with_code(for_train, 15);
    ASSERT_EQ(beyond_cells.size(), 1u) << for_train.dump();
    EXPECT_EQ(beyond_cells[0]["range"]["start"]["line"], moved);
    // The line, not open, is published under the URI of its path; the
    // build's line reaches past its end twice.
    const json for_line = published_for(c, line_uri);
    ASSERT_TRUE(for_line.is_object());
    EXPECT_EQ(with_code(for_line, "beyond-line").size(), 2u) << for_line.dump();
    // No diagnostics went to a URI the editor never named.
    for (const json& m : c.skipped) {
      if (m.value("method", "") != "textDocument/publishDiagnostics") continue;
      const std::string uri = m["params"]["uri"];
      EXPECT_TRUE(uri == train_uri || uri == line_uri) << uri;
    }
    c.request(5, "shutdown", nullptr);
    c.answer(5);
    c.send(exit_notification);
    EXPECT_EQ(c.wait(), 0);
  }
}

TEST(lsp_command, accepts_the_stdio_flag_that_clients_add) {
  // Standard input is empty: the server ends as when a client goes away.
  const auto r = run_tool({"lsp", "--stdio"});
  EXPECT_EQ(r.status, 1) << r.err;
  const auto bad = run_tool({"lsp", "--socket=4"});
  EXPECT_EQ(bad.status, 64) << bad.err;
}

}  // namespace
}  // namespace scenario::testing
