#include "editing/features.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "checking/check.h"
#include "editing/completion.h"
#include "editing/diagnostics.h"
#include "editing/document.h"
#include "editing/hover.h"
#include "editing/outline.h"
#include "editing/quick_fixes.h"
#include "model/translation.h"

namespace scenario::editing {
namespace {

// A small pair: a tunnel board that states the wrong length, a station past
// the line's end and a repeated adhesion record, each a fixable warning.
const char* const small_line =
    "[generale]\r\n"                                                      // 0
    "lunghezza percorso,    5000\r\n"                                     // 1
    "[montagne]\r\n"                                                      // 2
    "montagna,   1000,  1400,  12\r\n"                                    // 3
    "[indicazioni]\r\n"                                                   // 4
    "cartello_indicatore,  950,   (GALLERIA )(VALDORMIA)(m.550    )\r\n"  // 5
    "[fine]\r\n";
const char* const small_train =
    "[generale]\r\n"             // 0
    "numero vetture,    7\r\n"   // 1
    "[aderenze]\r\n"             // 2
    "aderenza,   0,    100\r\n"  // 3
    "aderenza,   0,    100\r\n"  // 4
    "[stazioni]\r\n"             // 5
    "stazione,     200, 12,  700,  1, 1, 1,  4,1,0,  2,1,1,    1,   7, 5, "
    "0, TARVENA\r\n"  // 6
    "stazione,    5100, 12,  300,  0, 0, 0,  0,0,0,  0,0,0,    0,   8,12, "
    "0, CITT\xC0\r\n"                                          // 7
    "[segnali]\r\n"                                            // 8
    "segnale,    2400,   1, 4, 1,  0, 0,    0,  0,0,0, 0\r\n"  // 9
    "[fine]\r\n";

analysis analyse(const std::string& line, const std::string& train,
                 description in) {
  record_list records;
  const description_text l{"line.txt", line, {}};
  const description_text t{"train.txt", train, {}};
  const check_result r =
      check_descriptions(l, t, {}, translator(), {.records = &records});
  analysis a;
  a.in = in;
  a.text = in == description::line ? line : train;
  a.records = records.of(in);
  for (const record_as_read& rec : records) {
    if (rec.kind == record_kind::line_length) a.line_length_m = rec.number(0);
  }
  for (const finding& f : r.findings) {
    if (f.file == (in == description::line ? l.file : t.file)) {
      a.findings.push_back(f);
    }
  }
  return a;
}

std::string hover_text(const analysis& a, int line, int character) {
  const json h = hover_at(a, {line, character}, translator());
  return h.is_null() ? "" : h["contents"]["value"].get<std::string>();
}

bool has_warning(const analysis& a, const std::string& name) {
  for (const finding& f : a.findings) {
    if (f.warning == name) return true;
  }
  return false;
}

TEST(features_hover, a_field_shows_its_name_meaning_unit_and_value) {
  const analysis train = analyse(small_line, small_train, description::train);
  const struct {
    int line, character;
    std::vector<std::string> parts;
  } cases[] = {
      // A signal's position: metres, kilometres and the cell it claims.
      {9, 13, {"**posizione** (m)", "2400 m", "2+400", "cell 49"}},
      // A station's length, a plain number with its unit.
      {6, 25, {"**lunghezza** (m)", "700 m"}},
      // A station's name, read as 8-bit text and shown as UTF-8.
      {7, 76, {"**nome**", "\"CITT\xC3\x80\""}},
      // The key: the record's fields in order, then the object itself.
      {9, 2, {"**segnale**", "posizione (m), sx, s1", "**signal** at 2+400"}},
      {6, 3, {"station TARVENA", "0+200", "07:05:00", "the train stops"}},
      // The general block by its commas.
      {1, 20, {"**vetture**", "number of cars"}},
  };
  for (const auto& c : cases) {
    const std::string text = hover_text(train, c.line, c.character);
    for (const std::string& part : c.parts) {
      EXPECT_NE(text.find(part), std::string::npos)
          << c.line << ":" << c.character << " lacks " << part << " in "
          << text;
    }
  }
  EXPECT_EQ(hover_text(train, 8, 3), "");  // a section head
}

TEST(features_hover, a_tunnel_shows_its_span_and_the_name_its_board_gives) {
  const analysis line = analyse(small_line, small_train, description::line);
  const std::string text = hover_text(line, 3, 2);
  EXPECT_NE(text.find("**tunnel** 1+000 to 1+400, 400 m, kind 2 with tunnel "
                      "markers"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("named VALDORMIA"), std::string::npos) << text;
}

// In Italian the hovers, the outline and the count of what the cap leaves
// out read in Italian, around the same keys, numbers and names.
TEST(features_language, hovers_outline_and_counts_follow_the_translator) {
  const translator it = translator::for_locale("it");
  const analysis train = analyse(small_line, small_train, description::train);
  const struct {
    int line, character;
    std::vector<std::string> parts;
  } hovers[] = {
      {9,
       13,
       {"**posizione** (m): dove sta il segnale", "valore: 2400 m",
        "2+400 \xC2\xB7 cella 49"}},
      {9,
       2,
       {"**segnale**: un segnale", "campi: posizione (m), sx, s1",
        "**segnale** a 2+400 (cella 49)", "sinistra: tipo 1"}},
      {6, 3, {"**stazione TARVENA** a 0+200", "lunga 700 m", "il treno ferma"}},
      {1, 20, {"**vetture**: numero di vetture"}},
  };
  for (const auto& c : hovers) {
    const json h = hover_at(train, {c.line, c.character}, it);
    ASSERT_FALSE(h.is_null()) << c.line << ":" << c.character;
    const std::string text = h["contents"]["value"];
    for (const std::string& part : c.parts) {
      EXPECT_NE(text.find(part), std::string::npos)
          << c.line << ":" << c.character << " lacks " << part << " in "
          << text;
    }
  }
  const json outline = document_symbols(train, it);
  const json& stations = outline[2]["children"];
  ASSERT_EQ(stations.size(), 2u) << outline.dump();
  // Both stop: the last station of a timetable always does.
  EXPECT_EQ(stations[0]["detail"], "fermata");
  EXPECT_EQ(stations[1]["detail"], "fermata");
  EXPECT_EQ(outline[3]["children"][0]["name"], "segnale 2+400");

  // Two findings past a cap of one: one more, named in either language.
  ASSERT_GE(train.findings.size(), 2u);
  const size_t more = train.findings.size() - 1;
  for (const auto& [tr, start] :
       {std::pair{translator(), std::to_string(more) + " more problem"},
        std::pair{
            it, (more == 1 ? std::to_string(more) + " altro problema"
                           : "altri " + std::to_string(more) + " problemi")}}) {
    const json d = diagnostics_json(train, {}, {}, tr, 1);
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[1]["code"], "more-problems");
    EXPECT_EQ(d[1]["message"].get<std::string>().rfind(start, 0), 0u)
        << d[1]["message"];
  }
}

TEST(features_completion, offers_the_keys_of_the_section_as_named_snippets) {
  const analysis train = analyse(small_line, small_train, description::train);
  const json items = completion_at(train, {9, 0}, true,
                                   translator())["items"];  // in [segnali]
  std::vector<std::string> labels;
  for (const json& i : items) labels.push_back(i["label"]);
  EXPECT_EQ(labels, (std::vector<std::string>{"segnale", "abbattimento"}));
  EXPECT_EQ(items[0]["insertText"],
            "segnale, ${1:posizione}, ${2:sx}, ${3:s1}, ${4:s2}, ${5:s3}, "
            "${6:rapp}, ${7:dx}, ${8:d1}, ${9:d2}, ${10:d3}, ${11:tempo}");
  EXPECT_EQ(items[0]["insertTextFormat"], 2);
  const json in_stations =
      completion_at(train, {6, 0}, true, translator())["items"];
  ASSERT_EQ(in_stations.size(), 1u);
  // Sixteen numbers and the name: seventeen placeholders.
  const std::string s = in_stations[0]["insertText"];
  EXPECT_NE(s.find("${17:nome}"), std::string::npos) << s;
  const analysis line = analyse(small_line, small_train, description::line);
  EXPECT_EQ(
      completion_at(line, {3, 0}, true, translator())["items"][0]["insertText"],
      "montagna, ${1:inizio}, ${2:fine}, ${3:tipo}");
}

TEST(features_completion, plain_keys_for_a_client_without_snippets) {
  const analysis train = analyse(small_line, small_train, description::train);
  const json items = completion_at(train, {9, 3}, false, translator())["items"];
  ASSERT_EQ(items.size(), 2u) << items.dump();
  EXPECT_EQ(items[0]["label"], "segnale");
  EXPECT_EQ(items[0]["insertText"], "segnale, ");
  EXPECT_EQ(items[0]["insertTextFormat"], 1);
  EXPECT_NE(items[0]["documentation"].get<std::string>().find("posizione"),
            std::string::npos);
}

TEST(features_completion, keys_only_where_a_key_can_stand) {
  const analysis train = analyse(small_line, small_train, description::train);
  const struct {
    int line;
    int character;
    bool offered;
  } cases[] = {
      {9, 0, true},    // the start of a record's line
      {9, 7, true},    // within its key
      {9, 8, false},   // just after the key's comma
      {9, 20, false},  // in the middle of a field
      {8, 0, true},    // a section head, before its bracket
      {8, 3, false},   // within the head
  };
  for (const auto& c : cases) {
    const json items = completion_at(train, {c.line, c.character}, true,
                                     translator())["items"];
    EXPECT_EQ(!items.empty(), c.offered) << c.line << ":" << c.character;
  }
}

TEST(features_outline, sections_hold_their_objects_named_with_kilometres) {
  const analysis train = analyse(small_line, small_train, description::train);
  const json s = document_symbols(train, translator());
  ASSERT_EQ(s.size(), 5u);
  EXPECT_EQ(s[2]["name"], "[stazioni]");
  ASSERT_EQ(s[2]["children"].size(), 2u);
  EXPECT_EQ(s[2]["children"][0]["name"], "TARVENA 0+200");
  EXPECT_EQ(s[2]["children"][1]["name"], "CITT\xC3\x80 5+100");
  // Both ends of the service are stops, the terminus without a dwell too.
  EXPECT_EQ(s[2]["children"][0]["detail"], "stop");
  EXPECT_EQ(s[2]["children"][1]["detail"], "stop");
  EXPECT_EQ(s[2]["range"]["start"]["line"], 5);
  EXPECT_EQ(s[2]["range"]["end"]["line"], 7);
  EXPECT_EQ(s[3]["children"][0]["name"], "signal 2+400");
  const json l = document_symbols(
      analyse(small_line, small_train, description::line), translator());
  EXPECT_EQ(l[1]["children"][0]["name"], "tunnel 1+000 to 1+400");
  EXPECT_EQ(l[1]["children"][0]["detail"], "VALDORMIA");
  EXPECT_EQ(l[2]["children"][0]["name"],
            "board 0+950 (GALLERIA )(VALDORMIA)(m.550    )");
}

// Applies a quick fix's edits (ASCII text: UTF-16 units are bytes).
std::string apply_fix(std::string text, const json& action,
                      const std::string& uri) {
  const json& edits = action["edit"]["changes"][uri];
  // From the last to the first, so earlier ranges stay valid.
  for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
    const json& r = (*it)["range"];
    apply_edit(text,
               {{r["start"]["line"], r["start"]["character"]},
                {r["end"]["line"], r["end"]["character"]}},
               (*it)["newText"].get<std::string>());
  }
  return text;
}

TEST(features_quick_fix, each_fix_removes_its_warning) {
  const struct {
    std::string warning;
    description in;
    int line;
    std::string title;
  } cases[] = {
      {"tunnel-board", description::line, 5,
       "State the tunnel's length: m.400"},
      {"beyond-line", description::train, 7,
       "Move the record back inside the line"},
      {"duplicate-record", description::train, 4, "Remove the repeated record"},
  };
  for (const auto& c : cases) {
    const analysis before = analyse(small_line, small_train, c.in);
    ASSERT_TRUE(has_warning(before, c.warning)) << c.warning;
    const json actions = code_actions(before, "file:///x",
                                      {{c.line, 0}, {c.line, 0}}, translator());
    ASSERT_EQ(actions.size(), 1u) << c.warning << actions.dump();
    EXPECT_EQ(actions[0]["title"], c.title);
    EXPECT_EQ(actions[0]["kind"], "quickfix");
    EXPECT_EQ(actions[0]["diagnostics"][0]["code"], c.warning);
    const std::string fixed = apply_fix(before.text, actions[0], "file:///x");
    const bool line = c.in == description::line;
    const analysis after =
        analyse(line ? fixed : small_line, line ? small_train : fixed, c.in);
    EXPECT_FALSE(has_warning(after, c.warning)) << c.warning << "\n" << fixed;
    EXPECT_EQ(after.findings.size() + 1, before.findings.size()) << fixed;
  }
}

TEST(features_quick_fix, the_tunnel_length_is_replaced_in_its_own_shape) {
  const struct {
    std::string board;
    std::string fixed;
  } cases[] = {
      {"(GALLERIA )(VALDORMIA)(m.550    )",
       "(GALLERIA )(VALDORMIA)(m.400    )"},
      {"(GALLERIA )(VALDORMIA)(m.5x0)", "(GALLERIA )(VALDORMIA)(m.400)"},
      {"(GALLERIA )(VALDORMIA)(M. 1550)", "(GALLERIA )(VALDORMIA)(M. 400)"},
      // The "M." of a name is no length.
      {"(GALLERIA M.TE NERO)(m.55)", "(GALLERIA M.TE NERO)(m.400)"},
      {"GALLERIA VALDORMIA m.55 CORTA", "GALLERIA VALDORMIA m.400 CORTA"},
  };
  const std::string old_board = "(GALLERIA )(VALDORMIA)(m.550    )";
  for (const auto& c : cases) {
    std::string line = small_line;
    line.replace(line.find(old_board), old_board.size(), c.board);
    const analysis a = analyse(line, small_train, description::line);
    ASSERT_TRUE(has_warning(a, "tunnel-board")) << c.board;
    const json actions =
        code_actions(a, "file:///x", {{5, 0}, {5, 0}}, translator());
    ASSERT_EQ(actions.size(), 1u) << c.board;
    std::string expected = small_line;
    expected.replace(expected.find(old_board), old_board.size(), c.fixed);
    EXPECT_EQ(apply_fix(line, actions[0], "file:///x"), expected) << c.board;
  }
}

TEST(features_quick_fix, none_is_offered_where_the_fix_is_not_plain) {
  // A tunnel board with no tunnel after it: which length is meant?
  std::string line = small_line;
  line.replace(line.find("montagna,   1000"), 16, "montagna,   3000");
  const analysis a = analyse(line, small_train, description::line);
  ASSERT_TRUE(has_warning(a, "tunnel-board"));
  EXPECT_TRUE(
      code_actions(a, "file:///x", {{5, 0}, {5, 0}}, translator()).empty());
}

TEST(features_definition, a_tunnel_board_leads_to_its_tunnel_and_back) {
  const analysis line = analyse(small_line, small_train, description::line);
  const std::vector<text_range> to_tunnel = definition_at(line, {5, 25});
  ASSERT_EQ(to_tunnel.size(), 1u);
  EXPECT_EQ(to_tunnel[0].start, (text_position{3, 0}));
  const std::vector<text_range> to_board = definition_at(line, {3, 14});
  ASSERT_EQ(to_board.size(), 1u);
  EXPECT_EQ(to_board[0].start, (text_position{5, 0}));
  EXPECT_TRUE(definition_at(line, {1, 3}).empty());
}

}  // namespace
}  // namespace scenario::editing
