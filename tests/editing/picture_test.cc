// The live picture asked of the server: drawn from the text the editor holds
// (not the saved file), with the records its stations come from and the
// files its findings name.
#include "editing/picture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "editing/document.h"
#include "editing/server.h"
#include "testing/lsp_client.h"
#include "testing/lsp_fixture.h"
#include "testing/temp_dir.h"

namespace scenario::editing {
namespace {

using scenario::testing::build_pair_files;
using scenario::testing::change_document;
using scenario::testing::line_starting;
using scenario::testing::lsp_client;
using scenario::testing::open_document;
using scenario::testing::with_code;

server_options quick() {
  server_options o;
  o.debounce = std::chrono::milliseconds(0);
  return o;
}

json picture_request(lsp_client& c, int id, const std::string& uri) {
  c.request(id, picture_method, {{"textDocument", {{"uri", uri}}}});
  return c.answer(id);
}

// The station of `objects` named `name`.
json station_named(const json& objects, const std::string& name) {
  for (const json& o : objects) {
    if (o["kind"] == "station" && o["name"] == name) return o;
  }
  return nullptr;
}

TEST(server_picture, draws_the_unsaved_text_and_places_its_stations) {
  build_pair_files f;
  lsp_client c(quick());
  c.initialize({{"rootUri", uri_of_path(f.dir.path().string())}});
  // BRENOLA moved from 6900 m to 8900 m and an accented name, unsaved.
  std::string edited = f.train_text;
  edited.replace(edited.find("stazione,    6900,"), 18, "stazione,    8900,");
  edited.replace(edited.find(", ROVIGNANO"), 11, ", CITT\xC3\x80");
  open_document(c, f.train_uri, edited);

  const json from_train = picture_request(c, 1, f.train_uri);
  ASSERT_TRUE(from_train.contains("result")) << from_train.dump();
  const json& r = from_train["result"];
  const std::string html = r["html"];
  EXPECT_NE(html.find("<title>BRENOLA 8+900</title>"), std::string::npos);
  EXPECT_EQ(html.find("BRENOLA 6+900"), std::string::npos);
  EXPECT_NE(html.find(">CITT\xC3\x80<"),
            std::string::npos);  // UTF-8 on the page

  const json brenola = station_named(r["objects"], "BRENOLA");
  ASSERT_FALSE(brenola.is_null()) << r["objects"].dump();
  EXPECT_EQ(brenola["uri"], f.train_uri);
  EXPECT_EQ(brenola["line"], line_starting(edited, "stazione,    8900,"));
  EXPECT_EQ(brenola["character"], 0);
  EXPECT_FALSE(station_named(r["objects"], "CITT\xC3\x80").is_null());
  EXPECT_EQ(r["objects"].size(), 20u);  // every station record

  ASSERT_EQ(r["files"].size(), 2u);
  EXPECT_EQ(r["files"][0]["uri"], f.line_uri);
  EXPECT_EQ(r["files"][1]["uri"], f.train_uri);
  // The findings name the files as the page shows them (the build's own
  // two beyond-line warnings of the line).
  const std::string line_name = r["files"][0]["name"];
  EXPECT_NE(html.find("<td>" + line_name + "</td>"), std::string::npos);

  // Asked from the line (not open), the same pair and the same edit.
  const json from_line = picture_request(c, 2, f.line_uri);
  EXPECT_EQ(from_line["result"]["files"], r["files"]);
  EXPECT_NE(from_line["result"]["html"].get<std::string>().find(
                "<title>BRENOLA 8+900</title>"),
            std::string::npos);
}

// What the page says of the simulator's build follows the strict
// compilation of the text being edited, and the code it stops at is the
// one the server publishes for the same text.
TEST(server_picture, tells_where_the_build_stops_for_the_edited_text) {
  build_pair_files f;
  lsp_client c(quick());
  c.initialize({{"rootUri", uri_of_path(f.dir.path().string())}});
  open_document(c, f.train_uri, f.train_text);
  c.diagnostics_for(f.train_uri);
  std::string html = picture_request(c, 1, f.train_uri)["result"]["html"];
  EXPECT_NE(html.find("records no code"), std::string::npos);
  EXPECT_EQ(html.find("stops at error"), std::string::npos);

  // The second signal moved into the first one's cell, unsaved.
  const std::string second = "segnale,    4900,";
  const int at = line_starting(f.train_text, second);
  ASSERT_GE(at, 0);
  change_document(c, f.train_uri, 2, at, 12, 16, "2400");
  const json published = with_code(c.diagnostics_for(f.train_uri), 16);
  ASSERT_EQ(published.size(), 1u);
  EXPECT_EQ(published[0]["range"]["start"]["line"], at);

  const json r = picture_request(c, 2, f.train_uri)["result"];
  html = r["html"];
  const std::string train_name = r["files"][1]["name"];
  EXPECT_NE(html.find("stops at error 16 (" + train_name + ":" +
                      std::to_string(at + 1) + ":"),
            std::string::npos)
      << html.substr(html.find("simulator"), 200);
  EXPECT_EQ(html.find("records no code"), std::string::npos);
}

TEST(server_picture, a_train_without_its_line_or_a_bad_request_draws_nothing) {
  scenario::testing::temp_dir dir;
  const auto train = dir.path() / "Nowhere_IR 1-.txt";
  std::ofstream(train) << "[generale]\r\nnumero vetture, 7\r\n";
  lsp_client c(quick());
  c.initialize({{"rootUri", uri_of_path(dir.path().string())}});
  const json lone = picture_request(c, 1, uri_of_path(train.string()));
  EXPECT_TRUE(lone.contains("result") && lone["result"].is_null())
      << lone.dump();

  c.request(2, picture_method, {{"textDocument", {{"uri", 5}}}});
  EXPECT_EQ(c.answer(2)["error"]["code"], -32602);
  c.request(3, picture_method, json::object());
  EXPECT_EQ(c.answer(3)["error"]["code"], -32602);
}

TEST(server_picture, a_line_without_a_train_is_drawn_alone) {
  build_pair_files f;
  std::filesystem::remove(f.train);
  lsp_client c(quick());
  c.initialize({{"rootUri", uri_of_path(f.dir.path().string())}});
  const json r = picture_request(c, 1, f.line_uri)["result"];
  ASSERT_TRUE(r.is_object());
  ASSERT_EQ(r["files"].size(), 1u) << r["files"].dump();
  EXPECT_EQ(r["files"][0]["uri"], f.line_uri);
  EXPECT_TRUE(r["objects"].empty());
  EXPECT_NE(r["html"].get<std::string>().find("Plan"), std::string::npos);
}

}  // namespace
}  // namespace scenario::editing
