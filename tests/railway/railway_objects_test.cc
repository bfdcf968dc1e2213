#include "railway/railway_objects.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "decoding/readout.h"
#include "testing/compiled_scenarios.h"

namespace scenario {
namespace {

struct mark {
  int64_t cell;
  uint8_t tipo;
  int16_t dato1 = 60;
  int16_t dato2 = 0;
  int16_t dato3 = 1;
};

// One slowdown as (warning, start, end) cells, -1 for none.
struct found {
  int64_t warning, start, end;
  bool approach;
  bool operator==(const found&) const = default;
};

void PrintTo(const found& f, std::ostream* os) {
  *os << "{" << f.warning << ", " << f.start << ", " << f.end << ", "
      << f.approach << "}";
}

std::vector<found> slowdowns_of(const std::vector<mark>& marks) {
  scenario_model m;
  m.celle.resize(200);
  for (const mark& k : marks) {
    cella& c = m.celle[k.cell];
    c.tipo = k.tipo;
    c.dato1 = k.dato1;
    c.dato2 = k.dato2;
    c.dato3 = k.dato3;
  }
  std::vector<found> out;
  const auto cell = [](const std::optional<int64_t>& c) {
    return c.value_or(-1);
  };
  for (const slowdown_view& d : read_railway_objects(m).slowdowns) {
    out.push_back({cell(d.warning_cell), cell(d.start_cell), cell(d.end_cell),
                   d.approach});
  }
  return out;
}

// The marks of a slowdown are gathered into one: its warning 24 cells
// before the start, the next end after the start; marks whose companions
// are missing still make a slowdown, so that nothing is left unshown.
TEST(read_railway_objects, slowdown_marks_make_one_slowdown_each) {
  using t = std::vector<found>;
  constexpr uint8_t W = tipo_cella::avviso_rallentamento;
  constexpr uint8_t S = tipo_cella::inizio_rallentamento;
  constexpr uint8_t E = tipo_cella::fine_rallentamento;
  constexpr uint8_t A = tipo_cella::preavviso_rallentamento;
  struct example {
    const char* what;
    std::vector<mark> marks;
    t want;
  };
  const example examples[] = {
      {"whole, with approach marks",
       {{75, A, 4},
        {76, A, 3},
        {77, A, 2},
        {78, A, 1},
        {79, W},
        {103, S},
        {123, E}},
       t{{79, 103, 123, true}}},
      {"no warning (it starts before 1500 m)",
       {{20, S}, {30, E}},
       t{{-1, 20, 30, false}}},
      {"a start that is its own end, then another slowdown",
       {{40, S}, {60, S}, {70, E}},
       t{{-1, 40, 40, false}, {-1, 60, 70, false}}},
      {"a warning not 24 cells before the start",
       {{79, W}, {110, S}, {120, E}},
       t{{79, -1, -1, false}, {-1, 110, 120, false}}},
      {"an end without start", {{90, E}}, t{{-1, -1, 90, false}}},
      {"a start without end", {{150, S}}, t{{-1, 150, 150, false}}},
  };
  for (const example& x : examples) {
    EXPECT_EQ(slowdowns_of(x.marks), x.want) << x.what;
  }
}

// `inspect` shows a slowdown as one line: start to end, speed, and what
// more it carries.
TEST(read_railway_objects, inspect_shows_a_slowdown_on_one_line) {
  scenario_model m;
  m.celle.resize(200);
  m.celle[20] = {.tipo = tipo_cella::inizio_rallentamento,
                 .dato1 = 30,
                 .dato2 = 20,
                 .dato3 = 1};
  m.celle[30] = {.tipo = tipo_cella::fine_rallentamento, .dato1 = 30};
  std::ostringstream out;
  write_summary(m, out, translator());
  EXPECT_NE(out.str().find("Slowdowns (1): start to end, speed, warning\n"
                           "     0+950 to    1+450    30 km/h, second speed "
                           "20, f_tt 1, no warning\n\n"),
            std::string::npos)
      << out.str();
}

}  // namespace
}  // namespace scenario
