// The canonical layout of descriptions: what each kind of line becomes, and
// the rules that make formatting safe, checked on the build's own pair,
// small pairs that use every record kind, a pair full of oddities and a pair
// full of errors, and on many respaced copies of them: formatting compiles
// to the same scenario and the same codes, is idempotent, ignores the
// blanks it is given and changes nothing but blanks.
#include "editing/formatter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "checking/check.h"
#include "checking/faulty_pair.h"
#include "compiler/compiler.h"
#include "decoding/diff.h"
#include "shell/run.h"
#include "sources/dati_linea.h"
#include "sources/dati_treno.h"
#include "testing/compiled_scenarios.h"

namespace scenario::editing {
namespace {

std::string crlf_text(std::span<const std::string_view> lines) {
  std::string text;
  for (std::string_view l : lines) {
    text += l;
    text += "\r\n";
  }
  return text;
}

struct pair_text {
  std::string name;
  std::string linea;
  std::string treno;
};

// A line and a train full of what authors write and the writers never do:
// text before "[generale]", tabs, dash comments, a record split over two
// lines, a blank line, a lone CR, quoted board texts holding a comma and a
// line end, an 8-bit name with inner blanks and a tab, a quoted name, a
// record after a comment on one line, a clock spaced with tabs, and no
// final newline.
pair_text odd_pair() {
  return {
      "odd",
      "notes before the block, read and dropped\n"
      "[generale]\n"
      "lunghezza percorso,\t20000\n"
      "-- a comment, with a comma\n"
      "sfondo due,   1\n"
      "ripetizione segnali 4 codici,  0  ,0\n"
      "[curve]\r\n"
      "curvad2,  100,\n"
      "   200\n"
      "\n"
      "pendenza,   0,    5\r"
      "montagna,   4000,  5000,  11\n"
      "indicatori_vmax,  2050,  100,  120,  120,  0,  ,  ,  ,  0\n"
      "cartello_indicatore,  3950,   \"(GALLERIA, A)\"  junk \n"
      "cartello_indicatore,  6950,   \"(TWO\n"
      " LINES)\"\n"
      "[fine]",
      "[generale]\n"
      "orologio,\t7 \t 5    30 \n"
      "sabbia,0\n"
      "velocita,0,30\n"
      "velocita,   1000,100\n"
      "stazione,200,12,700,1,1,1,4,1,0,2,1,1,1,7,5,0,  CITT\xC0   DEL\tSOLE  \n"
      "stazione, 10050, 26, 400, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "
      "\"QUOTED, NAME\"\n"
      "-x, segnale, 1000, 1, 4, 1, 0, 0, 0, 0, 0, 0, 0\n"
      "segnale,    7000,   2, 4, 1,  0, 0,    0,  0,0,0, 50\n"
      "[fine]\n"};
}

std::vector<pair_text> clean_pairs() {
  return {
      {"build", crlf_text(linea_lines()), crlf_text(treno_lines())},
      {"every kind", testing::every_kind_line(), testing::every_kind_train()},
      odd_pair(),
  };
}

pair_text faulty_pair() {
  return {"faulty", testing::faulty_line, testing::faulty_train};
}

// A pair compiled as `scenario compile` compiles it (strictly, with the
// plan), and as `scenario check` reads it (keeping going).
struct compilation {
  scenario_model model;
  check_result check;
};

compilation compile(const pair_text& p) {
  compilation c;
  c.model.percorso = build_percorso;
  c.model.treno = build_treno;
  const description_text linea{"linea.txt", p.linea, ""};
  const description_text treno{"treno.txt", p.treno, ""};
  compile_in_memory(c.model, 1, linea, treno);
  c.check = check_descriptions(linea, treno, {}, translator());
  return c;
}

// The same cells, entries and plan, the same codes at the same positions
// on the same lines, and the same findings of the checker.
void expect_same_compilation(const compilation& a, const compilation& b) {
  EXPECT_EQ(diff_scenarios(a.model, b.model), std::vector<std::string>{});
  EXPECT_EQ(a.model.codice_errore, b.model.codice_errore);
  EXPECT_EQ(a.model.posizione_errore, b.model.posizione_errore);
  ASSERT_EQ(a.model.diagnostics.size(), b.model.diagnostics.size());
  for (size_t i = 0; i < a.model.diagnostics.size(); ++i) {
    const diagnostic& x = a.model.diagnostics[i];
    const diagnostic& y = b.model.diagnostics[i];
    EXPECT_EQ(x.codice, y.codice);
    EXPECT_EQ(x.posizione, y.posizione);
    EXPECT_EQ(x.file, y.file);
    EXPECT_EQ(x.line, y.line);
    EXPECT_EQ(x.detail, y.detail);
  }
  ASSERT_EQ(a.check.findings.size(), b.check.findings.size());
  for (size_t i = 0; i < a.check.findings.size(); ++i) {
    const finding& x = a.check.findings[i];
    const finding& y = b.check.findings[i];
    EXPECT_EQ(x.code, y.code);
    EXPECT_EQ(x.warning, y.warning);
    EXPECT_EQ(x.message(translator()), y.message(translator()));
    EXPECT_EQ(x.position_m, y.position_m);
    EXPECT_EQ(x.at.line, y.at.line);
  }
}

pair_text formatted(const pair_text& p) {
  return {p.name + " formatted", format_description(p.linea),
          format_description(p.treno)};
}

std::string without_blanks(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c != ' ' && c != '\t') out += c;
  }
  return out;
}

// Formatting changed blanks only: the same bytes once blanks are dropped,
// which keeps every newline, comma, quote and 8-bit byte in place.
void expect_only_blanks_changed(std::string_view before,
                                std::string_view after) {
  EXPECT_EQ(without_blanks(before), without_blanks(after));
}

TEST(formatter, build_pair_compiles_the_same_once_formatted) {
  for (const pair_text& p : clean_pairs()) {
    SCOPED_TRACE(p.name);
    const pair_text f = formatted(p);
    expect_same_compilation(compile(p), compile(f));
    expect_only_blanks_changed(p.linea, f.linea);
    expect_only_blanks_changed(p.treno, f.treno);
    EXPECT_EQ(format_description(f.linea), f.linea);
    EXPECT_EQ(format_description(f.treno), f.treno);
  }
}

TEST(formatter, faulty_pair_keeps_its_codes_and_positions) {
  const pair_text p = faulty_pair();
  const pair_text f = formatted(p);
  const compilation before = compile(p);
  ASSERT_FALSE(before.check.findings.empty());
  expect_same_compilation(before, compile(f));
  expect_only_blanks_changed(p.linea, f.linea);
  expect_only_blanks_changed(p.treno, f.treno);
  EXPECT_EQ(format_description(f.linea), f.linea);
  EXPECT_EQ(format_description(f.treno), f.treno);
}

// The build's own pair, laid out: spot rows of each kind.
TEST(formatter, build_pair_rows_stand_in_columns) {
  const std::string linea = format_description(crlf_text(linea_lines()));
  const std::string treno = format_description(crlf_text(treno_lines()));
  for (const char* row : {
           "\r\nlunghezza percorso, 99500\r\n",
           "\r\nripetizione segnali 4 codici, 0, 0\r\n",
           "\r\ncurvas2,     0, 500\r\n",
           "\r\ncurvad4, 99800, 400\r\n[pendenze]\r\n",
           "\r\nmontagna,   3650,   3750, 12\r\n",
           "\r\nindicatori_vmax,   850,  90,  95,  95, 0, , , , 0\r\n",
           "\r\ncartello_indicatore, 72200, (GALLERIA       )(VESCOL S.      )"
           "(LORIANDO m.2500)\r\n",
       }) {
    EXPECT_NE(linea.find(row), std::string::npos) << row;
  }
  for (const char* row : {
           "\r\norologio, 7 5 30\r\n",
           "\r\nvelocita,     0,  30\r\n",
           "\r\nstazione,    200, 12, 700, 1, 1, 1, 4, 1, 0, 2, 1, 1,  1, 7,  "
           "5, 0, TARVENA\r\n",
           "\r\nstazione,  66800, 26, 300, 0, 0, 0, 0, 0, 0, 0, 0, 0,  0, 0,  "
           "0, 0, MARNE-S. ROCCO\r\n",
           "\r\nsegnale, 99100, 2, 2, 3, 0, 0, 0, 0, 0, 0, 0\r\n",
       }) {
    EXPECT_NE(treno.find(row), std::string::npos) << row;
  }
  EXPECT_TRUE(treno.ends_with("[codici]\r\n[fine]\r\n"));
}

struct layout_case {
  const char* name;
  std::string in;
  std::string out;
};

// Small descriptions and exactly what they become. A text without the line
// length is read as a train description.
const layout_case layout_cases[] = {
    {"a run stands in columns, numbers right-aligned",
     "[generale]\nvelocita,0,30\nvelocita,   36100 ,  120\n",
     "[generale]\nvelocita,     0,  30\nvelocita, 36100, 120\n"},
    {"keys of one kind are padded to the longest",
     "[generale]\nvelocit, 0, 30\nvelocita,850,95\n",
     "[generale]\nvelocit,    0, 30\nvelocita, 850, 95\n"},
    {"a blank line, a comment and a header each end a run",
     "[generale]\nvelocita, 0, 30\n  \nvelocita, 36100, 120\n"
     "-- note,  x\nvelocita,  5,   6\n[x]\nvelocita, 100, 7\n",
     "[generale]\nvelocita, 0, 30\n\nvelocita, 36100, 120\n"
     "-- note,  x\nvelocita, 5, 6\n[x]\nvelocita, 100, 7\n"},
    {"records of another kind start another run",
     "[generale]\nvelocita, 0, 30\naderenza, 100, 100\n",
     "[generale]\nvelocita, 0, 30\naderenza, 100, 100\n"},
    {"a name keeps its inner blanks and is left-aligned",
     "[generale]\n"
     "stazione, 200,12,700,1,1,1,4,1,0,2,1,1,1,7,5,0,  PIEVE  DI\tLUSCO  \n"
     "stazione, 3300,26,200,0,0,0,0,0,0,0,0,0,0,0,0,0,X\n",
     "[generale]\n"
     "stazione,  200, 12, 700, 1, 1, 1, 4, 1, 0, 2, 1, 1, 1, 7, 5, 0, "
     "PIEVE  DI\tLUSCO\n"
     "stazione, 3300, 26, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, X\n"},
    {"a name of digits after the last number keeps its blanks",
     "[generale]\nstazione,200,12,700,1,1,1,4,1,0,2,1,1,1,7,5,0  12  34\n",
     "[generale]\nstazione, 200, 12, 700, 1, 1, 1, 4, 1, 0, 2, 1, 1, 1, 7, 5, "
     "0 12  34\n"},
    {"the clock's blank-separated numbers keep one blank each",
     "[generale]\norologio,\t7 \t\t5   30 \n",
     "[generale]\norologio, 7 5 30\n"},
    {"a quoted text keeps its commas and blanks, and what follows it",
     "[generale]\ncartello_indicatore,3950,  \"(A,  B)\"  junk  \n",
     "[generale]\ncartello_indicatore, 3950, \"(A,  B)\"  junk\n"},
    {"lines a quoted text spans are left as written",
     "[generale]\nx,  \"a,\n  b\"  ,  5\nvelocita,  0,  30\n",
     "[generale]\nx,  \"a,\n  b\"  ,  5\nvelocita, 0, 30\n"},
    {"a quote that never closes leaves the rest as written",
     "[generale]\nvelocita,  0,  30\nx,  \"open\n  y ,  z\n",
     "[generale]\nvelocita, 0, 30\nx,  \"open\n  y ,  z\n"},
    {"a record the reader rejects is left as written, and what follows is "
     "formatted",
     "[generale]\nvelocita,  1o,  30\nvelocita,  0,  30\n"
     "stazione, 200, 300, 700, 1,1,1,4,1,0,2,1,1,1,7,5,0, A\n"
     "sabbia ,  1\n",
     "[generale]\nvelocita,  1o,  30\nvelocita, 0, 30\n"
     "stazione, 200, 300, 700, 1,1,1,4,1,0,2,1,1,1,7,5,0, A\n"
     "sabbia, 1\n"},
    {"each line end stays as found, and no final newline is added",
     "[generale]\r\nsabbia,   0\rsabbia,0\n  sabbia ,1",
     "[generale]\r\nsabbia, 0\rsabbia, 0\nsabbia, 1"},
    {"an emptied line between a lone CR and an LF keeps one blank",
     "[generale]\rsabbia, 0\r  \t\nsabbia, 1\n\r\n",
     "[generale]\rsabbia, 0\r \nsabbia, 1\n\r\n"},
    {"8-bit bytes stay, and a no-break space is no blank",
     "[generale]\nx,   CITT\xC0\xA0\xA0 \xE8  \n",
     "[generale]\nx, CITT\xC0\xA0\xA0 \xE8\n"},
    {"empty fields stay empty",
     "[generale]\nlunghezza percorso, 5000\n[cartelli]\n"
     "indicatori_vmax,  850,  90,  95,  95,  0,  ,  ,  ,  0\n",
     "[generale]\nlunghezza percorso, 5000\n[cartelli]\n"
     "indicatori_vmax, 850, 90, 95, 95, 0, , , , 0\n"},
    {"blanks before a comma go, also in the general block",
     "[generale]\nlunghezza percorso, 5000\n"
     "ripetizione segnali 4 codici,    0    ,0\n",
     "[generale]\nlunghezza percorso, 5000\n"
     "ripetizione segnali 4 codici, 0, 0\n"},
    {"a trailing comma keeps no blanks after it",
     "[generale]\nlunghezza percorso, 5000\n[curve]\ncurvad2,  100,  \n"
     "   200\n",
     "[generale]\nlunghezza percorso, 5000\n[curve]\ncurvad2, 100,\n200\n"},
    {"a train record far along the line is laid out like the rest",
     "[generale]\nnumero vetture,7\n[segnali]\n"
     "segnale,   990000,1,4,1,0,0,0,0,0,0,0\n"
     "segnale,  1000,1,4,1,0,0,0,0,0,0,0\n",
     "[generale]\nnumero vetture, 7\n[segnali]\n"
     "segnale, 990000, 1, 4, 1, 0, 0, 0, 0, 0, 0, 0\n"
     "segnale,   1000, 1, 4, 1, 0, 0, 0, 0, 0, 0, 0\n"},
    {"an empty text stays empty", "", ""},
    {"blanks only become an empty line", " \t \r\n", "\r\n"},
};

TEST(formatter, lays_out_each_kind_of_line) {
  for (const layout_case& c : layout_cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(format_description(c.in), c.out);
    EXPECT_EQ(format_description(c.out), c.out);
  }
}

// A copy of `text` respaced at random wherever blanks are free: around
// each comma and at both ends of each line, 0 to 3 blanks or tabs; between
// the blank-separated numbers of one field, 1 to 3. Lines holding a quote
// or opening with a dash comment keep their blanks: a quote may span lines,
// and a comment is kept as written.
std::string respaced(std::string_view text, std::mt19937& rng) {
  auto blanks = [&](int low) {
    std::string s;
    const int n = std::uniform_int_distribution<int>(low, 3)(rng);
    for (int i = 0; i < n; ++i) s += (rng() % 4 == 0) ? '\t' : ' ';
    return s;
  };
  auto numeric_tokens = [](std::string_view core) {
    bool any = false;
    for (char c : core) {
      if (c == ' ' || c == '\t') continue;
      if ((c < '0' || c > '9') && c != '-' && c != '+') return false;
      any = true;
    }
    return any;
  };
  std::string out;
  size_t p = 0;
  bool in_quote_lines = false;
  while (p < text.size()) {
    size_t end = p;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    size_t next = end;
    if (next < text.size()) {
      next += (text[next] == '\r' && next + 1 < text.size() &&
               text[next + 1] == '\n')
                  ? 2
                  : 1;
    }
    const std::string_view line = text.substr(p, end - p);
    const size_t quotes = std::count(line.begin(), line.end(), '"');
    const bool keep =
        in_quote_lines || quotes > 0 ||
        line.substr(0, line.find(',')).find('-') != std::string_view::npos;
    if (quotes % 2 == 1) in_quote_lines = !in_quote_lines;
    if (keep) {
      out += line;
    } else {
      size_t c = 0;
      for (;;) {
        const size_t comma = std::min(line.find(',', c), line.size());
        std::string_view cell = line.substr(c, comma - c);
        while (!cell.empty() && (cell.front() == ' ' || cell.front() == '\t'))
          cell.remove_prefix(1);
        while (!cell.empty() && (cell.back() == ' ' || cell.back() == '\t'))
          cell.remove_suffix(1);
        out += blanks(0);
        if (numeric_tokens(cell)) {
          for (size_t i = 0; i < cell.size();) {
            if (cell[i] == ' ' || cell[i] == '\t') {
              while (i < cell.size() && (cell[i] == ' ' || cell[i] == '\t'))
                ++i;
              out += blanks(1);
            } else {
              out += cell[i++];
            }
          }
        } else {
          out += cell;
        }
        out += blanks(0);
        if (comma >= line.size()) break;
        out += ',';
        c = comma + 1;
      }
    }
    out.append(text.substr(end, next - end));
    p = next;
  }
  return out;
}

TEST(formatter, respaced_copies_format_alike_and_compile_alike) {
  std::mt19937 rng(20261210);
  for (const pair_text& p : clean_pairs()) {
    const std::string linea = format_description(p.linea);
    const std::string treno = format_description(p.treno);
    const compilation original = compile(p);
    for (int round = 0; round < 12; ++round) {
      SCOPED_TRACE(p.name + ", copy " + std::to_string(round));
      const pair_text copy{p.name, respaced(p.linea, rng),
                           respaced(p.treno, rng)};
      const pair_text f = formatted(copy);
      EXPECT_EQ(f.linea, linea);
      EXPECT_EQ(f.treno, treno);
      expect_only_blanks_changed(copy.linea, f.linea);
      expect_only_blanks_changed(copy.treno, f.treno);
      expect_same_compilation(original, compile(copy));
      expect_same_compilation(original, compile(f));
    }
  }
}

// With errors the rejected records stay as written, so only the other
// rules hold for respaced copies.
TEST(formatter, respaced_faulty_copies_keep_their_codes) {
  std::mt19937 rng(1812);
  const pair_text p = faulty_pair();
  const compilation original = compile(p);
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE("copy " + std::to_string(round));
    const pair_text copy{p.name, respaced(p.linea, rng),
                         respaced(p.treno, rng)};
    const pair_text f = formatted(copy);
    expect_same_compilation(original, compile(f));
    EXPECT_EQ(format_description(f.linea), f.linea);
    EXPECT_EQ(format_description(f.treno), f.treno);
    expect_only_blanks_changed(copy.linea, f.linea);
    expect_only_blanks_changed(copy.treno, f.treno);
  }
}

TEST(formatter, tells_what_is_no_description) {
  EXPECT_EQ(description_problem("[generale]\r\n[fine]\r\n"), "");
  EXPECT_EQ(description_problem("  [Generale] \n"), "");
  for (std::string_view text :
       {std::string_view(""), std::string_view("sabbia, 0\n"),
        std::string_view("x, \"\n[generale]\"\n"),
        std::string_view("[generale]\n\0\n", 13)}) {
    EXPECT_NE(description_problem(text), "") << text;
  }
}

}  // namespace
}  // namespace scenario::editing
