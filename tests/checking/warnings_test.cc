// One small fixture per warning, firing and not firing, on a 20 km line run
// at 60 km/h; and the switches that turn warnings off or into errors.
#include "checking/warnings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checking/check.h"

namespace scenario {
namespace {

// Bodies are inserted after these heads: the line's body starts at line 5,
// the train's at line 3.
std::string line_with(const std::string& body) {
  return "[generale]\r\nlunghezza percorso,    20000\r\n[curve]\r\n"
         "pendenza,   0,    0\r\n" +
         body + "[fine]\r\n";
}
std::string train_with(const std::string& body) {
  return "[generale]\r\nvelocita,   0,    60\r\n" + body + "[fine]\r\n";
}

std::string station(int at, int length, int hours, int minutes,
                    const char* name, int seconds = 0) {
  return "stazione, " + std::to_string(at) + ", 12, " + std::to_string(length) +
         ", 0,0,0, 0,0,0, 0,0,0, 0, " + std::to_string(hours) + "," +
         std::to_string(minutes) + "," + std::to_string(seconds) + ", " + name +
         "\r\n";
}

check_result check_pair(const std::string& line_body,
                        const std::string& train_body,
                        const warning_options& options = {}) {
  return check_descriptions({"l.txt", line_with(line_body), {}},
                            {"t.txt", train_with(train_body), {}}, options,
                            translator());
}

// The lines of `name`'s findings, as "file:line".
std::vector<std::string> fired(const check_result& r, const std::string& name) {
  std::vector<std::string> v;
  for (const finding& f : r.findings) {
    if (f.warning == name)
      v.push_back(f.file.str() + ":" + std::to_string(f.at.line));
  }
  return v;
}

TEST(warnings, each_fires_on_its_fault_and_only_there) {
  const std::string tunnel_board =
      "cartello_indicatore,  1000,   (GALLERIA)(PROVA)(m.500  )\r\n";
  const struct {
    const char* warning;
    std::string line_body, train_body;
    std::vector<std::string> want;
  } cases[] = {
      {"tunnel-board",
       tunnel_board + "montagna,   1050,  1350,  11\r\n",
       "",
       {"l.txt:5"}},
      {"tunnel-board",
       tunnel_board + "montagna,   2100,  2600,  11\r\n",
       "",
       {"l.txt:5"}},  // the tunnel starts too far away
      {"tunnel-board",
       tunnel_board + "montagna,   1300,  1800,  11\r\n",
       "",
       {"l.txt:5"}},  // 300 m: beyond the reach of a board that names it
      {"tunnel-board",
       tunnel_board + "montagna,   1200,  1700,  11\r\n",
       "",
       {}},  // 200 m: within reach
      {"tunnel-board",
       tunnel_board + "montagna,   1050,  1550,  11\r\n",
       "",
       {}},
      {"station-order",
       "",
       station(5000, 200, 7, 10, "A") + station(2000, 200, 7, 20, "B"),
       {"t.txt:4"}},
      {"station-order",
       "",
       station(2000, 200, 7, 10, "A") + station(5000, 200, 7, 20, "B"),
       {}},
      {"station-overlap",
       "",
       station(2000, 800, 7, 10, "A") + station(2300, 200, 7, 20, "B"),
       {"t.txt:4"}},
      {"station-overlap",
       "",
       station(2000, 800, 7, 10, "A") + station(3000, 200, 7, 20, "B"),
       {}},
      {"station-time",
       "",
       station(2000, 200, 7, 10, "A") + station(5000, 200, 0, 0, "B") +
           station(8000, 200, 7, 5, "C"),
       {"t.txt:5"}},
      {"station-time",
       "",
       station(2000, 200, 7, 10, "A") + station(5000, 200, 0, 0, "B") +
           station(8000, 200, 7, 15, "C"),
       {}},
      // 6 km at 60 km/h: the default train needs 6:35, 6:56 with margin.
      {"timetable-impossible",
       "",
       station(2000, 200, 7, 10, "A") + station(8000, 200, 7, 16, "B", 20),
       {"t.txt:4"}},
      {"timetable-impossible",
       "",
       station(2000, 200, 7, 10, "A") + station(8000, 200, 7, 16, "B", 45),
       {}},
      {"timetable-tight",
       "",
       station(2000, 200, 7, 10, "A") + station(8000, 200, 7, 16, "B", 45),
       {"t.txt:4"}},
      {"timetable-tight",
       "",
       station(2000, 200, 7, 10, "A") + station(8000, 200, 7, 20, "B"),
       {}},
      // Only the leg whose end is wrong: the first is fine, the second not.
      {"timetable-impossible",
       "",
       station(2000, 200, 7, 10, "A") + station(8000, 200, 7, 20, "B") +
           station(14000, 200, 7, 25, "C"),
       {"t.txt:5"}},
      {"speed-board-missing", "", "velocita, 5000, 100\r\n", {"t.txt:3"}},
      {"speed-board-missing",
       "indicatori_vmax,  4000,  90,  100,  100,  0,  ,  ,  ,  0\r\n",
       "velocita, 5000, 100\r\n",
       {}},
      {"speed-board-unmatched",
       "indicatori_vmax,  4000,  80,  85,  85,  0,  ,  ,  ,  0\r\n",
       "",
       {"l.txt:5"}},
      {"speed-board-unmatched",
       "indicatori_vmax,  4000,  80,  85,  85,  0,  ,  ,  ,  0\r\n",
       "velocita, 5000, 85\r\n",
       {}},
      // 60 km/h at 0.5 m/s^2 brakes in 278 m.
      {"signal-spacing",
       "",
       "segnale, 2250, 1, 4, 1, 0, 0, 0, 0, 0, 0, 0\r\n"
       "segnale, 2000, 1, 4, 1, 0, 0, 0, 0, 0, 0, 0\r\n",
       {"t.txt:3"}},
      {"signal-spacing",
       "",
       "segnale, 2300, 1, 4, 1, 0, 0, 0, 0, 0, 0, 0\r\n"
       "segnale, 2000, 1, 4, 1, 0, 0, 0, 0, 0, 0, 0\r\n",
       {}},
      // A radius of 333 m allows 80.6 km/h with 100 mm of cant and 130 mm
      // of cant deficiency.
      {"curve-speed",
       "curvad6,  1000,  200\r\n",
       "velocita, 500, 85\r\n",
       {"l.txt:5"}},
      {"curve-speed", "curvad6,  1000,  200\r\n", "velocita, 500, 80\r\n", {}},
      {"curve-speed", "curvad6,  1000,  200\r\n", "", {}},
      {"beyond-line",
       "montagna,   19800,  20100,  1\r\n",
       "segnale, 20500, 1, 4, 1, 0, 0, 0, 0, 0, 0, 0\r\n",
       {"l.txt:5", "t.txt:3"}},
      {"beyond-line",
       "montagna,   19800,  20000,  1\r\n",
       "segnale, 19500, 1, 4, 1, 0, 0, 0, 0, 0, 0, 0\r\n",
       {}},
      {"duplicate-record",
       "montagna,   1000,  1200,  1\r\nMONTAGNA,  1000, 1200, 1\r\n",
       "",
       {"l.txt:6"}},
      {"duplicate-record",
       "montagna,   1000,  1200,  1\r\nmontagna,   1000,  1250,  1\r\n",
       "",
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.warning) + "\n" + c.line_body + c.train_body);
    EXPECT_EQ(fired(check_pair(c.line_body, c.train_body), c.warning), c.want);
  }
}

TEST(warnings, point_at_the_field_and_say_what_they_measured) {
  const check_result r =
      check_pair("",
                 "segnale, 2000, 1, 4, 1, 0, 0, 0, 0, 0, 0, 0\r\n"
                 "segnale, 2250, 1, 4, 1, 0, 0, 0, 0, 0, 0, 0\r\n");
  ASSERT_EQ(r.warnings, 1);
  const finding& f = r.findings[0];
  EXPECT_FALSE(f.is_error);
  EXPECT_EQ(f.at.line, 4);
  EXPECT_EQ(f.at.column, 10);
  EXPECT_EQ(f.at.length, 4);
  EXPECT_EQ(f.position_m, 2250);
  EXPECT_EQ(f.message(translator()),
            "signal stands 250 m after the one at 2+000 (line 3); braking "
            "from 60 km/h at 0.5 m/s^2 takes 278 m");
}

TEST(warnings, switches_turn_them_off_or_into_errors) {
  const std::string twice =
      "montagna,   1000,  1200,  1\r\nmontagna,   1000,  1200,  1\r\n";
  warning_options o;
  std::string why;
  ASSERT_TRUE(apply_warning_switch(o, "error", &why, translator()));
  check_result r = check_pair(twice, "", o);
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(r.warnings, 0);
  EXPECT_EQ(check_status(r), 1);

  ASSERT_TRUE(
      apply_warning_switch(o, "no-duplicate-record", &why, translator()));
  r = check_pair(twice, "", o);
  EXPECT_EQ(r.errors + r.warnings, 0);
  EXPECT_EQ(check_status(r), 0);

  EXPECT_FALSE(apply_warning_switch(o, "no-such-thing", &why, translator()));
  EXPECT_NE(why.find("such-thing"), std::string::npos);
}

}  // namespace
}  // namespace scenario
