// The server driven in-process through pipes: diagnostics of a pair, the
// stale-result rule, configuration and the requests' answers.
#include "editing/server.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>

#include "checking/check.h"
#include "editing/formatter.h"
#include "model/text_8bit.h"
#include "testing/lsp_client.h"
#include "testing/lsp_fixture.h"

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

json root_of(const build_pair_files& f) {
  return {{"rootUri", uri_of_path(f.dir.path().string())}};
}

TEST(server_diagnostics,
     a_fix_in_the_train_clears_the_problem_it_caused_in_the_line) {
  build_pair_files f;
  lsp_client c(quick());
  c.initialize(root_of(f));
  // The speed limit of 95 km/h moved from 850 m to 5850 m: the board at
  // 850 m announces nothing, and the change at 5850 m has no board.
  const int speed = line_starting(f.train_text, "velocita,     850,");
  const int board = line_starting(f.line_text, "indicatori_vmax,  850,");
  ASSERT_GE(speed, 0);
  ASSERT_GE(board, 0);
  std::string moved = f.train_text;
  moved.replace(moved.find("velocita,     850,"), 18, "velocita,    5850,");
  open_document(c, f.train_uri, moved);

  json line = c.diagnostics_for(f.line_uri);
  json unmatched = with_code(line, "speed-board-unmatched");
  ASSERT_EQ(unmatched.size(), 1u) << line.dump();
  EXPECT_EQ(unmatched[0]["range"]["start"]["line"], board);
  EXPECT_EQ(unmatched[0]["range"]["start"]["character"], 18);
  EXPECT_EQ(unmatched[0]["severity"], 2);
  json train = c.diagnostics_for(f.train_uri);
  EXPECT_EQ(train["version"], 1);
  json missing = with_code(train, "speed-board-missing");
  ASSERT_EQ(missing.size(), 2u) << train.dump();
  EXPECT_EQ(missing[0]["range"]["start"],
            json({{"line", speed}, {"character", 13}}));
  EXPECT_EQ(missing[0]["range"]["end"],
            json({{"line", speed}, {"character", 17}}));

  // Typed back: both files clear of what the move caused.
  change_document(c, f.train_uri, 2, speed, 13, 14, " ");
  line = c.diagnostics_for(f.line_uri);
  EXPECT_TRUE(with_code(line, "speed-board-unmatched").empty()) << line.dump();
  EXPECT_EQ(with_code(line, "beyond-line").size(), 2u);  // the build's own
  train = c.diagnostics_for(f.train_uri);
  EXPECT_EQ(train["version"], 2);
  EXPECT_EQ(with_code(train, "speed-board-missing").size(), 1u);  // 99100 m
}

TEST(server_diagnostics,
     columns_count_utf16_units_after_accented_and_wide_characters) {
  build_pair_files f;
  lsp_client c(quick());
  c.initialize(root_of(f));
  // The second signal's key holds an accented letter (one unit) and a
  // locomotive (two units, and no Windows-1252 byte); its position takes
  // the first signal's cell.
  const int second = line_starting(f.train_text, "segnale,    4900,");
  std::string text = f.train_text;
  text.replace(text.find("segnale,    4900,"), 17,
               "segnale\xC3\xA8\xF0\x9F\x9A\x82,    2400,");
  open_document(c, f.train_uri, text);
  const json d = c.diagnostics_for(f.train_uri);
  const json occupied = with_code(d, 16);
  ASSERT_EQ(occupied.size(), 1u) << d.dump();
  EXPECT_EQ(occupied[0]["range"]["start"],
            json({{"line", second}, {"character", 15}}));
  EXPECT_EQ(occupied[0]["severity"], 1);
  const json encoding = with_code(d, "encoding");
  ASSERT_EQ(encoding.size(), 1u) << d.dump();
  EXPECT_EQ(encoding[0]["range"]["start"],
            json({{"line", second}, {"character", 8}}));
  EXPECT_EQ(encoding[0]["range"]["end"],
            json({{"line", second}, {"character", 10}}));
  EXPECT_NE(encoding[0]["message"].get<std::string>().find("U+1F682"),
            std::string::npos);
}

TEST(server_diagnostics, the_partner_open_in_the_editor_is_read_from_there) {
  build_pair_files f;
  lsp_client c(quick());
  c.initialize(root_of(f));
  // Unsaved: the line shortened to 90 km; the file on disk still says
  // 99.5 km, and so does the train's warning about its terminus.
  std::string shorter = f.line_text;
  shorter.replace(shorter.find("99500"), 5, "90000");
  open_document(c, f.line_uri, shorter);
  c.diagnostics_for(f.line_uri);
  open_document(c, f.train_uri, f.train_text);
  const auto beyond = [](const json& d) {
    const json w = with_code(d, "beyond-line");
    return w.empty() ? std::string() : w[0]["message"].get<std::string>();
  };
  // The train's own version: what the check made once it was open.
  json train;
  do {
    train = c.diagnostics_for(f.train_uri);
  } while (!train.is_null() && !train.contains("version"));
  EXPECT_NE(beyond(train).find("at 90+000"), std::string::npos) << train.dump();
  // Closed unsaved, the line is read from disk again (checks made before
  // the close may still come first).
  c.notify("textDocument/didClose", {{"textDocument", {{"uri", f.line_uri}}}});
  bool from_disk = false;
  for (int i = 0; i < 3 && !from_disk; ++i) {
    train = c.diagnostics_for(f.train_uri);
    from_disk = beyond(train).find("at 99+500") != std::string::npos;
  }
  EXPECT_TRUE(from_disk) << train.dump();
}

TEST(server_diagnostics, a_result_for_an_older_text_is_never_published) {
  build_pair_files f;
  std::atomic<int> checks = 0;
  lsp_client* client = nullptr;
  const int first = line_starting(f.train_text, "segnale,    2400,");
  server_options o = quick();
  // The text changes while the first check runs.
  o.after_check = [&] {
    if (checks++ == 0) {
      const json range = {{"start", {{"line", first}, {"character", 12}}},
                          {"end", {{"line", first}, {"character", 16}}}};
      json change = {{"range", range}, {"text", "4900"}};
      json params = {{"textDocument", {{"uri", f.train_uri}, {"version", 2}}},
                     {"contentChanges", json::array({change})}};
      client->in_process()->inject({{"jsonrpc", "2.0"},
                                    {"method", "textDocument/didChange"},
                                    {"params", params}});
    }
  };
  lsp_client c(o);
  client = &c;
  c.initialize(root_of(f));
  open_document(c, f.train_uri, f.train_text, 1);
  const json d = c.diagnostics_for(f.train_uri);
  EXPECT_EQ(d["version"], 2);
  EXPECT_EQ(with_code(d, 16).size(), 1u) << d.dump();
  EXPECT_GE(checks, 2);
  for (const json& m : c.skipped) {
    EXPECT_NE(m["params"].value("version", 0), 1) << m.dump();
  }
}

TEST(server_diagnostics, warnings_follow_the_configured_switches) {
  build_pair_files f;
  lsp_client c(quick());
  json init = root_of(f);
  init["initializationOptions"] = {{"warnings", {"no-beyond-line", "error"}}};
  c.initialize(init);
  open_document(c, f.train_uri, f.train_text);
  json d = c.diagnostics_for(f.train_uri);
  EXPECT_TRUE(with_code(d, "beyond-line").empty()) << d.dump();
  // Under "error" the warnings are errors.
  ASSERT_EQ(with_code(d, "speed-board-missing").size(), 1u);
  EXPECT_EQ(with_code(d, "speed-board-missing")[0]["severity"], 1);
  c.notify("workspace/didChangeConfiguration",
           {{"settings", {{"scenario", {{"warnings", json::array()}}}}}});
  d = c.diagnostics_for(f.train_uri);
  EXPECT_EQ(with_code(d, "beyond-line").size(), 1u) << d.dump();
  EXPECT_EQ(with_code(d, "speed-board-missing")[0]["severity"], 2);
  // An unknown name is said to the person, and changes nothing else.
  c.notify("workspace/didChangeConfiguration",
           {{"settings", {{"warnings", {"no-such-warning"}}}}});
  bool told = false;
  while (std::optional<json> m = c.next(std::chrono::seconds(5))) {
    if (m->value("method", "") == "window/showMessage") {
      told = m->dump().find("no-such-warning") != std::string::npos;
      break;
    }
  }
  EXPECT_TRUE(told);
}

TEST(server_diagnostics,
     a_request_before_the_check_is_due_makes_that_check_and_publishes_it) {
  build_pair_files f;
  // What the check publishes when it comes at its moment.
  json expected;
  {
    lsp_client c(quick());
    c.initialize(root_of(f));
    open_document(c, f.train_uri, f.train_text);
    expected = c.diagnostics_for(f.train_uri);
  }
  std::atomic<int> checks = 0;
  server_options o;
  o.debounce = std::chrono::milliseconds(600);
  o.after_check = [&] { ++checks; };
  lsp_client c(o);
  c.initialize(root_of(f));
  open_document(c, f.train_uri, f.train_text);
  // The outline needs the check at once; the check waiting is not made
  // again once due.
  c.request(2, "textDocument/documentSymbol",
            {{"textDocument", {{"uri", f.train_uri}}}});
  EXPECT_FALSE(c.answer(2).empty());
  // Published before the answer.
  json d;
  for (const json& m : c.skipped) {
    if (m.value("method", "") == "textDocument/publishDiagnostics" &&
        m["params"]["uri"] == f.train_uri) {
      d = m["params"];
    }
  }
  ASSERT_EQ(d, expected);
  EXPECT_FALSE(with_code(d, "speed-board-missing").empty()) << d.dump();
  bool again = false;
  while (std::optional<json> m = c.next(std::chrono::milliseconds(1200))) {
    again =
        again || m->value("method", "") == "textDocument/publishDiagnostics";
  }
  EXPECT_FALSE(again);
  EXPECT_EQ(checks, 1);
}

TEST(server_requests,
     a_request_cancelled_before_it_is_served_gets_minus_32800) {
  build_pair_files f;
  lsp_client c(quick());
  c.initialize(root_of(f));
  open_document(c, f.train_uri, f.train_text);
  // Sent in one write: the cancellation is read before the request is served.
  const auto hover = [&](int id) {
    json params = {{"textDocument", {{"uri", f.train_uri}}},
                   {"position", {{"line", 1}, {"character", 2}}}};
    json m = {{"jsonrpc", "2.0"}, {"id", id}};
    m["method"] = "textDocument/hover";
    m["params"] = params;
    return scenario::testing::frame_of(m);
  };
  json cancel = {{"jsonrpc", "2.0"}, {"method", "$/cancelRequest"}};
  cancel["params"] = {{"id", 7}};
  c.write_raw(hover(7) + scenario::testing::frame_of(cancel) + hover(8));
  const json cancelled = c.answer(7);
  EXPECT_EQ(cancelled["error"]["code"], -32800) << cancelled.dump();
  const json served = c.answer(8);
  EXPECT_NE(served["result"]["contents"]["value"].get<std::string>().find(
                "the train's cars"),
            std::string::npos)
      << served.dump();
}

TEST(server_requests, outline_hover_and_definition_on_the_build_line) {
  build_pair_files f;
  lsp_client c(quick());
  c.initialize(root_of(f));
  open_document(c, f.line_uri, f.line_text);
  const int board = line_starting(f.line_text, "cartello_indicatore,  8850,");
  const int tunnel = line_starting(f.line_text, "montagna,   8900,");
  c.request(1, "textDocument/definition",
            {{"textDocument", {{"uri", f.line_uri}}},
             {"position", {{"line", board}, {"character", 30}}}});
  const json to = c.answer(1)["result"];
  ASSERT_EQ(to.size(), 1u) << to.dump();
  EXPECT_EQ(to[0]["uri"], f.line_uri);
  EXPECT_EQ(to[0]["range"]["start"]["line"], tunnel);
  c.request(2, "textDocument/hover",
            {{"textDocument", {{"uri", f.line_uri}}},
             {"position", {{"line", tunnel}, {"character", 1}}}});
  const std::string h = c.answer(2)["result"]["contents"]["value"];
  EXPECT_NE(h.find("named VALDORMIA"), std::string::npos) << h;
  c.request(3, "textDocument/documentSymbol",
            {{"textDocument", {{"uri", f.line_uri}}}});
  const json symbols = c.answer(3)["result"];
  std::vector<std::string> sections;
  for (const json& s : symbols) sections.push_back(s["name"]);
  EXPECT_EQ(sections, (std::vector<std::string>{
                          "[generale]", "[curve]", "[pendenze]", "[montagne]",
                          "[cartelli]", "[indicazioni]", "[fine]"}));
  EXPECT_EQ(symbols[3]["children"][0]["name"], "tunnel 3+650 to 3+750");
}

// The text a formatting answer leaves: its edits applied to `text`.
std::string formatted_by(lsp_client& c, int id, const std::string& uri,
                         std::string text) {
  c.request(id, "textDocument/formatting",
            {{"textDocument", {{"uri", uri}}},
             {"options", {{"tabSize", 4}, {"insertSpaces", true}}}});
  const json edits = c.answer(id)["result"];
  for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
    const json& r = (*it)["range"];
    apply_edit(text,
               {{r["start"]["line"], r["start"]["character"]},
                {r["end"]["line"], r["end"]["character"]}},
               (*it)["newText"].get<std::string>());
  }
  return text;
}

TEST(server_requests,
     formatting_gives_the_formatters_text_in_the_editors_characters) {
  build_pair_files f;
  lsp_client c(quick());
  c.initialize(root_of(f));
  // A badly spaced copy with an accented name; the editor read the file as
  // Latin-1, so the byte 0x80 of the name is U+0080.
  std::string spaced = f.train_text;
  spaced.replace(spaced.find("TARVENA"), 7, "T\xC3\x80RV\xC2\x80NA");
  for (size_t at = 0; (at = spaced.find(",  ", at)) != std::string::npos;) {
    spaced.replace(at, 3, ",     ");
    at += 6;
  }
  open_document(c, f.train_uri, spaced);
  const std::string bytes = utf8_to_windows1252(spaced, nullptr);
  std::string canonical;
  for (unsigned char b : format_description(bytes)) append_utf8(canonical, b);
  ASSERT_NE(canonical, spaced);
  const std::string once = formatted_by(c, 1, f.train_uri, spaced);
  EXPECT_EQ(once, canonical);
  EXPECT_NE(once.find("T\xC3\x80RV\xC2\x80NA"), std::string::npos);
  // Formatted text asks for no edit.
  c.notify("textDocument/didChange",
           {{"textDocument", {{"uri", f.train_uri}, {"version", 2}}},
            {"contentChanges", json::array({{{"text", once}}})}});
  c.request(2, "textDocument/formatting",
            {{"textDocument", {{"uri", f.train_uri}}},
             {"options", {{"tabSize", 4}, {"insertSpaces", true}}}});
  EXPECT_EQ(c.answer(2)["result"], json::array());
}

TEST(server_requests,
     formatting_is_refused_while_the_text_holds_what_the_file_cannot) {
  build_pair_files f;
  lsp_client c(quick());
  c.initialize(root_of(f));
  // A badly spaced record (so that formatting would change the text) and
  // a name with an emoji, which Windows-1252 has no byte for.
  std::string text = f.train_text;
  text.replace(text.find("TARVENA"), 7, "TARVENA \xF0\x9F\x9A\x86");
  text.replace(text.find("numero vetture,"), 15, "numero vetture,      ");
  open_document(c, f.train_uri, text);
  EXPECT_EQ(with_code(c.diagnostics_for(f.train_uri), "encoding").size(), 1u);
  c.request(1, "textDocument/formatting",
            {{"textDocument", {{"uri", f.train_uri}}},
             {"options", {{"tabSize", 4}, {"insertSpaces", true}}}});
  const json refused = c.answer(1);
  EXPECT_FALSE(refused.contains("result")) << refused.dump();
  EXPECT_EQ(refused["error"]["code"], -32803);
  const std::string why = refused["error"]["message"];
  EXPECT_NE(why.find("Windows-1252 cannot store"), std::string::npos) << why;
  EXPECT_NE(why.find("U+1F686"), std::string::npos) << why;
  // Once the character is gone, the same text formats.
  const std::string plain = text.substr(0, text.find(" \xF0\x9F")) +
                            text.substr(text.find("\xF0\x9F") + 4);
  c.notify("textDocument/didChange",
           {{"textDocument", {{"uri", f.train_uri}, {"version", 2}}},
            {"contentChanges", json::array({{{"text", plain}}})}});
  EXPECT_NE(formatted_by(c, 2, f.train_uri, plain), plain);
}

TEST(server_requests, parameters_of_the_wrong_type_get_minus_32602) {
  build_pair_files f;
  lsp_client c(quick());
  c.initialize(root_of(f));
  open_document(c, f.train_uri, f.train_text);
  const json doc = {{"uri", f.train_uri}};
  const json at = {{"line", 1}, {"character", 2}};
  const struct {
    const char* method;
    json params;
  } cases[] = {
      {"textDocument/hover",
       {{"textDocument", doc},
        {"position", {{"line", "1"}, {"character", 2}}}}},
      {"textDocument/hover",
       {{"textDocument", doc},
        {"position", {{"line", true}, {"character", 2}}}}},
      {"textDocument/hover",
       {{"textDocument", doc},
        {"position", {{"line", 1.5}, {"character", 2}}}}},
      {"textDocument/hover",
       {{"textDocument", doc}, {"position", {{"line", -1}, {"character", 2}}}}},
      {"textDocument/hover",
       {{"textDocument", {{"uri", 5}}}, {"position", at}}},
      {"textDocument/hover", {{"textDocument", doc}}},
      {"textDocument/hover", json::array({doc, at})},
      // Not open: still refused for its position, not answered with null.
      {"textDocument/completion",
       {{"textDocument", {{"uri", "file:///nowhere-.txt"}}},
        {"position", {{"line", "x"}, {"character", 0}}}}},
      {"textDocument/definition",
       {{"textDocument", doc}, {"position", nullptr}}},
      {"textDocument/codeAction",
       {{"textDocument", doc}, {"range", {{"start", at}, {"end", 3}}}}},
      {"textDocument/documentSymbol", {{"textDocument", "file:///x-.txt"}}},
      {"textDocument/formatting", {{"textDocument", {{"uri", nullptr}}}}},
  };
  int id = 10;
  for (const auto& k : cases) {
    c.request(id, k.method, k.params);
    const json a = c.answer(id++);
    EXPECT_FALSE(a.contains("result")) << k.method << k.params.dump();
    EXPECT_EQ(a["error"]["code"], -32602) << k.method << k.params.dump();
  }
  // The server goes on serving.
  c.request(id, "textDocument/hover",
            {{"textDocument", doc}, {"position", at}});
  EXPECT_TRUE(c.answer(id)["result"].is_object());
}

TEST(server_requests, snippets_only_for_a_client_that_takes_them) {
  build_pair_files f;
  for (const bool snippets : {false, true}) {
    lsp_client c(quick());
    json init = root_of(f);
    if (snippets) {
      init["capabilities"]["textDocument"]["completion"]["completionItem"]
          ["snippetSupport"] = true;
    }
    c.initialize(init);
    open_document(c, f.train_uri, f.train_text);
    const int signal = line_starting(f.train_text, "segnale,");
    ASSERT_GE(signal, 0);
    c.request(1, "textDocument/completion",
              {{"textDocument", {{"uri", f.train_uri}}},
               {"position", {{"line", signal}, {"character", 3}}}});
    const json items = c.answer(1)["result"]["items"];
    ASSERT_FALSE(items.empty()) << snippets;
    for (const json& i : items) {
      EXPECT_EQ(i["insertTextFormat"], snippets ? 2 : 1) << i.dump();
      const std::string text = i["insertText"];
      EXPECT_EQ(text.find("${") != std::string::npos, snippets) << text;
    }
    // In the middle of a field no key can stand.
    c.request(2, "textDocument/completion",
              {{"textDocument", {{"uri", f.train_uri}}},
               {"position", {{"line", signal}, {"character", 12}}}});
    EXPECT_EQ(c.answer(2)["result"]["items"], json::array());
  }
}

TEST(server_diagnostics, a_document_publishes_at_most_a_thousand_and_a_count) {
  build_pair_files f;
  // Each repeated adhesion record is a warning of its own.
  std::string train = f.train_text;
  std::string repeated;
  for (int i = 0; i < 1500; ++i) repeated += "aderenza,   0,    100\r\n";
  const size_t adhesion = train.find("[aderenze]\r\n");
  ASSERT_NE(adhesion, std::string::npos);
  train.insert(adhesion + 12, repeated);
  const check_result all = check_descriptions(
      {"line.txt", utf8_to_windows1252(f.line_text, nullptr), {}},
      {"train.txt", utf8_to_windows1252(train, nullptr), {}}, {}, translator());
  size_t in_train = 0;
  for (const finding& x : all.findings) in_train += x.file == "train.txt";
  ASSERT_GT(in_train, 1500u);

  lsp_client c(quick());
  c.initialize(root_of(f));
  open_document(c, f.train_uri, train);
  const json d = c.diagnostics_for(f.train_uri)["diagnostics"];
  ASSERT_EQ(d.size(), 1001u);
  const json& more = d.back();
  EXPECT_EQ(more["code"], "more-problems");
  const std::string message = more["message"];
  EXPECT_EQ(
      message.rfind(std::to_string(in_train - 1000) + " more problems", 0), 0u)
      << message;
  EXPECT_EQ(more["severity"], 2);  // only warnings are left out
}

// The session speaks the language of the `locale` the client sends at
// initialize, English without one or for a language it has no words for:
// hovers, the outline, quick-fix titles, the server's own diagnostics and
// its refusals; the codes and the source stay as they are.
TEST(server_requests, the_session_speaks_the_locale_sent_at_initialize) {
  const struct {
    std::optional<std::string> locale;
    const char* hover;     // on the tunnel named by its board
    const char* tunnel;    // its outline name
    const char* fix;       // the quick fix of a repeated record
    const char* encoding;  // the diagnostic of an emoji
    const char* refusal;   // why formatting is refused
  } cases[] = {
      {std::nullopt, "named VALDORMIA", "tunnel 3+650 to 3+750",
       "Remove the repeated record", "has no Windows-1252 byte",
       "Windows-1252 cannot store"},
      {"fr", "named VALDORMIA", "tunnel 3+650 to 3+750",
       "Remove the repeated record", "has no Windows-1252 byte",
       "Windows-1252 cannot store"},
      {"it", "di nome VALDORMIA", "galleria da 3+650 a 3+750",
       "Togli il record ripetuto", "non ha un byte Windows-1252",
       "Windows-1252 non pu\xC3\xB2 memorizzare"},
      {"it-IT", "di nome VALDORMIA", "galleria da 3+650 a 3+750",
       "Togli il record ripetuto", "non ha un byte Windows-1252",
       "Windows-1252 non pu\xC3\xB2 memorizzare"},
  };
  for (const auto& c : cases) {
    const std::string which = c.locale.value_or("(none)");
    build_pair_files f;
    lsp_client client(quick());
    json init = root_of(f);
    if (c.locale) init["locale"] = *c.locale;
    client.initialize(init);

    open_document(client, f.line_uri, f.line_text);
    const int tunnel = line_starting(f.line_text, "montagna,   8900,");
    client.request(1, "textDocument/hover",
                   {{"textDocument", {{"uri", f.line_uri}}},
                    {"position", {{"line", tunnel}, {"character", 1}}}});
    const std::string h = client.answer(1)["result"]["contents"]["value"];
    EXPECT_NE(h.find(c.hover), std::string::npos) << which << ": " << h;
    client.request(2, "textDocument/documentSymbol",
                   {{"textDocument", {{"uri", f.line_uri}}}});
    EXPECT_EQ(client.answer(2)["result"][3]["children"][0]["name"], c.tunnel)
        << which;

    // A repeated adhesion record (a warning with a fix) and an emoji in a
    // station's name (an error of the server's own).
    std::string train = f.train_text;
    const size_t adhesion = train.find("[aderenze]\r\n");
    ASSERT_NE(adhesion, std::string::npos);
    train.insert(adhesion + 12,
                 "aderenza,   0,    100\r\naderenza,   0,    100\r\n");
    train.replace(train.find("TARVENA"), 7, "TARVENA \xF0\x9F\x9A\x86");
    open_document(client, f.train_uri, train);
    const json d = client.diagnostics_for(f.train_uri);
    const json encoding = with_code(d, "encoding");
    ASSERT_EQ(encoding.size(), 1u) << which << ": " << d.dump();
    EXPECT_EQ(encoding[0]["source"], "scenario");
    EXPECT_NE(encoding[0]["message"].get<std::string>().find(c.encoding),
              std::string::npos)
        << which << ": " << encoding.dump();
    const json repeated = with_code(d, "duplicate-record");
    ASSERT_FALSE(repeated.empty()) << which << ": " << d.dump();
    const int line = repeated[0]["range"]["start"]["line"];
    client.request(3, "textDocument/codeAction",
                   {{"textDocument", {{"uri", f.train_uri}}},
                    {"range",
                     {{"start", {{"line", line}, {"character", 0}}},
                      {"end", {{"line", line}, {"character", 0}}}}},
                    {"context", {{"diagnostics", json::array()}}}});
    const json actions = client.answer(3)["result"];
    ASSERT_EQ(actions.size(), 1u) << which << ": " << actions.dump();
    EXPECT_EQ(actions[0]["title"], c.fix) << which;
    EXPECT_EQ(actions[0]["diagnostics"][0]["code"], "duplicate-record");

    client.request(4, "textDocument/formatting",
                   {{"textDocument", {{"uri", f.train_uri}}},
                    {"options", {{"tabSize", 4}, {"insertSpaces", true}}}});
    const json refused = client.answer(4);
    EXPECT_EQ(refused["error"]["code"], -32803) << which;
    EXPECT_NE(refused["error"]["message"].get<std::string>().find(c.refusal),
              std::string::npos)
        << which << ": " << refused.dump();
  }
}

}  // namespace
}  // namespace scenario::editing
