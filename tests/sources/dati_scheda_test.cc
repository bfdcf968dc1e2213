// The timetable card: its fixed lines and widths, the grid's cell forms, and
// its agreement with the stations, times and speed limits of the train
// description.
#include "sources/dati_scheda.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "sources/content_records.h"

namespace scenario {
namespace {

using testing::speed_limit_record;
using testing::station_record;
using testing::train_speed_limits;
using testing::train_stations;

std::string_view line_at(size_t file_line) {
  return scheda_lines()[file_line - 1];
}

constexpr std::string_view grid_rule =
    " |_____|_____|__________|_____|____________________________|______________"
    "__|_____|";

TEST(TimetableCard, header_lines_are_written_as_fixed) {
  ASSERT_EQ(scheda_lines().size(), 42u);
  const std::string rule80 = "  " + std::string(80, '_');
  const std::string top =
      "  " + std::string(19, '_') + std::string(47, ' ') + std::string(14, '_');
  const std::vector<std::string> head = {
      "",
      "",
      top,
      " |                   |                    SCHEDA 1/1               |  "
      "            |",
      " |   TRENO n.4518    |                   da: TARVENA               |  "
      "  V200 B    |",
      " |___________________|                    a: OLMISCO               |  "
      "   125%     |",
      std::string(67, ' ') + "|" + std::string(14, '_') + "|",
      "  " + std::string(19, '_') + std::string(16, ' ') + std::string(19, '_'),
      " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
      " |        IR         |              |      430T         |",
      " |___________________|              |___________________|",
      "",
      rule80,
      " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario "
      "    | Rec |",
      " | Lim.|Marc.|          |  Rs |                            |            "
      "    |     |",
      std::string(grid_rule),
  };
  for (size_t i = 0; i < head.size(); ++i) {
    EXPECT_EQ(line_at(i + 1), head[i]) << "line " << i + 1;
  }
  EXPECT_EQ(line_at(41), grid_rule);
  EXPECT_EQ(line_at(42), "");
}

TEST(TimetableCard, lines_have_their_lengths) {
  const std::map<size_t, size_t> length = {
      {1, 0},  {2, 0},  {3, 82},  {4, 83},  {5, 83}, {6, 83},  {7, 83},
      {8, 56}, {9, 64}, {10, 57}, {11, 57}, {12, 0}, {13, 82}, {42, 0}};
  for (size_t n = 1; n <= 42; ++n) {
    const auto it = length.find(n);
    EXPECT_EQ(line_at(n).size(), it != length.end() ? it->second : 83u)
        << "line " << n;
  }
  EXPECT_EQ(line_at(9).substr(57), "       ");
}

// One timetable row split into its seven cells.
struct card_row {
  std::string_view cell[8];  // cell[1..7]
};

std::optional<card_row> split_row(std::string_view line) {
  static constexpr size_t width[8] = {0, 5, 5, 10, 5, 28, 16, 5};
  if (line.size() != 83 || line.substr(0, 2) != " |") return std::nullopt;
  card_row r;
  size_t at = 2;
  for (size_t i = 1; i <= 7; ++i) {
    r.cell[i] = line.substr(at, width[i]);
    if (line[at + width[i]] != '|') return std::nullopt;
    at += width[i] + 1;
  }
  for (size_t i = 1; i <= 7; ++i) {
    if (r.cell[i].find('|') != std::string_view::npos) return std::nullopt;
  }
  return r;
}

// A speed cell: right-aligned in 4 plus a blank, or 5 blanks (nullopt).
std::optional<int> speed_of(std::string_view cell) {
  static const std::regex form(R"( *[1-9][0-9]* )");
  if (cell == "     ") return std::nullopt;
  EXPECT_TRUE(std::regex_match(std::string(cell), form)) << "[" << cell << "]";
  return std::stoi(std::string(cell));
}

int kilometre_point(std::string_view cell) {
  static const std::regex form(R"( *([0-9]+)\+([0-9]{3}) )");
  std::match_results<std::string_view::const_iterator> m;
  const bool ok = std::regex_match(cell.begin(), cell.end(), m, form);
  EXPECT_TRUE(ok) << "[" << cell << "]";
  return ok ? std::stoi(m[1]) * 1000 + std::stoi(m[2]) : -1;
}

enum class row_kind { origin, stop, passing, destination, no_time };

struct timed_row {
  row_kind kind;
  std::vector<int> minutes;  // of the day, in order of the cell
  bool plus = false;
};

int minutes_of(const std::string& t) {
  const size_t dot = t.find('.');
  return std::stoi(t.substr(0, dot)) * 60 + std::stoi(t.substr(dot + 1));
}

std::optional<timed_row> read_times(std::string_view cell) {
  const std::string c(cell);
  const std::string t = "([1-9]\\.[0-5][0-9])";
  std::smatch m;
  if (c == std::string(16, ' ')) return timed_row{row_kind::no_time, {}};
  if (std::regex_match(c, m, std::regex(" {10}" + t + "  "))) {
    return timed_row{row_kind::origin, {minutes_of(m[1])}};
  }
  if (std::regex_match(c, m, std::regex("  " + t + " {4}" + t + "  "))) {
    return timed_row{row_kind::stop, {minutes_of(m[1]), minutes_of(m[2])}};
  }
  if (std::regex_match(c, m, std::regex(" {6}" + t + "([+ ]) {5}"))) {
    return timed_row{row_kind::passing, {minutes_of(m[1])}, m[2] == "+"};
  }
  if (std::regex_match(c, m, std::regex("  " + t + " {10}"))) {
    return timed_row{row_kind::destination, {minutes_of(m[1])}};
  }
  return std::nullopt;
}

struct parsed_row {
  std::optional<int> limit, second, rs;
  int km;
  std::string locality;
  timed_row times;
};

std::vector<parsed_row> timetable_rows() {
  std::vector<parsed_row> rows;
  for (size_t n = 17; n <= 40; ++n) {
    const auto r = split_row(line_at(n));
    if (!r) {
      ADD_FAILURE() << "line " << n << " is no grid row: " << line_at(n);
      continue;
    }
    const auto times = read_times(r->cell[6]);
    if (!times) {
      ADD_FAILURE() << "line " << n << " time cell: [" << r->cell[6] << "]";
      continue;
    }
    EXPECT_EQ(r->cell[7], "     ") << "line " << n;
    const std::string_view loc = r->cell[5];
    EXPECT_NE(loc.front(), ' ') << "line " << n;
    parsed_row p{speed_of(r->cell[1]),
                 speed_of(r->cell[2]),
                 speed_of(r->cell[4]),
                 kilometre_point(r->cell[3]),
                 std::string(loc.substr(0, loc.find_last_not_of(' ') + 1)),
                 *times};
    rows.push_back(p);
  }
  return rows;
}

TEST(TimetableCard, rows_are_of_the_stated_kinds_in_kilometre_order) {
  const std::vector<parsed_row> rows = timetable_rows();
  ASSERT_EQ(rows.size(), 24u);
  std::map<row_kind, int> count;
  int plus = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    ++count[rows[i].times.kind];
    plus += rows[i].times.plus;
    if (i > 0) {
      EXPECT_GT(rows[i].km, rows[i - 1].km) << rows[i].locality;
    }
  }
  EXPECT_EQ(count, (std::map<row_kind, int>{{row_kind::origin, 1},
                                            {row_kind::stop, 5},
                                            {row_kind::passing, 13},
                                            {row_kind::destination, 1},
                                            {row_kind::no_time, 4}}));
  EXPECT_EQ(plus, 2);
  EXPECT_EQ(rows.front().times.kind, row_kind::origin);
  EXPECT_EQ(rows.front().km, 0);
  EXPECT_EQ(rows.back().times.kind, row_kind::destination);
  EXPECT_EQ(rows.back().km, 101000);
  for (std::string_view row :
       {" |  30 |  30 |    0+000 |  30 |TARVENA                     |       "
        "   7.06  |     |",
        " |  95 |  85 |    0+850 |  95 |Deviatoio di Uscita         |       "
        "         |     |",
        " |     |     |   16+450 |     |LUVEA                       |  7.25  "
        "  7.30  |     |",
        " |     |     |  101+000 |     |OLMISCO                     |  8.44  "
        "        |     |"}) {
    const auto lines = scheda_lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), row), 1) << row;
  }
}

TEST(TimetableCard, stations_match_the_train_description) {
  const std::vector<parsed_row> rows = timetable_rows();
  const std::vector<station_record> stations = train_stations();
  std::vector<const parsed_row*> station_rows;
  for (const parsed_row& r : rows) {
    if (r.times.kind != row_kind::no_time) station_rows.push_back(&r);
  }
  ASSERT_EQ(station_rows.size(), stations.size());
  for (size_t n = 0; n < stations.size(); ++n) {
    const station_record& s = stations[n];
    const parsed_row& r = *station_rows[n];
    SCOPED_TRACE(s.nome);
    EXPECT_EQ(r.locality, s.nome);
    const int record_minutes = s.seconds_of_day() / 60;
    if (n == 0) {
      EXPECT_EQ(r.times.kind, row_kind::origin);
      // Departure at or just after the timetable's origin time.
      EXPECT_GE(r.times.minutes[0], record_minutes);
      EXPECT_LE(r.times.minutes[0], record_minutes + 1);
    } else if (n + 1 == stations.size()) {
      EXPECT_EQ(r.times.kind, row_kind::destination);
      EXPECT_EQ(r.times.minutes[0], record_minutes);
    } else if (s.flag3() == 60) {
      ASSERT_EQ(r.times.kind, row_kind::stop);
      EXPECT_LT(r.times.minutes[0], r.times.minutes[1]);
      EXPECT_EQ(r.times.minutes[1], record_minutes);
    } else {
      EXPECT_EQ(r.times.kind, row_kind::passing);
    }
    // Only the origin row carries speeds.
    EXPECT_EQ(r.limit.has_value(), n == 0);
    EXPECT_EQ(r.second.has_value(), n == 0);
    EXPECT_EQ(r.rs.has_value(), n == 0);
    // The card's kilometre point lies at the station or up to 1200 m
    // before its position in the description.
    EXPECT_LE(r.km, s.posizione());
    EXPECT_GE(r.km, s.posizione() - 1200);
  }
}

TEST(TimetableCard, times_never_run_backwards) {
  int last = 0;
  for (const parsed_row& r : timetable_rows()) {
    for (int m : r.times.minutes) {
      EXPECT_GE(m, last) << r.locality;
      last = m;
    }
  }
}

int limit_at(const std::vector<speed_limit_record>& limits, int32_t p) {
  int v = 0;
  for (const speed_limit_record& l : limits) {
    if (l.posizione <= p) v = l.velocita;
  }
  return v;
}

TEST(TimetableCard, speed_rows_stand_at_the_changes_of_the_speed_limit) {
  const std::vector<speed_limit_record> limits = train_speed_limits();
  std::vector<int32_t> changes;
  for (const speed_limit_record& l : limits) {
    if (l.posizione >= 850 && l.posizione <= 59300) {
      changes.push_back(l.posizione);
    }
  }
  std::vector<int32_t> speed_rows;
  int blank_rs = 0;
  const std::vector<parsed_row> rows = timetable_rows();
  for (const parsed_row& r : rows) {
    if (!r.limit) continue;
    SCOPED_TRACE(r.locality);
    EXPECT_EQ(*r.limit, limit_at(limits, r.km));
    ASSERT_TRUE(r.second.has_value());
    EXPECT_LE(*r.second, *r.limit);
    if (r.rs) {
      EXPECT_EQ(*r.rs, *r.limit);
    } else {
      ++blank_rs;
    }
    if (r.times.kind == row_kind::no_time) speed_rows.push_back(r.km);
  }
  EXPECT_EQ(speed_rows, changes);
  EXPECT_EQ(blank_rs, 1);
  EXPECT_EQ(*rows.front().limit, 30);
}

TEST(TimetableCard, header_names_the_train_and_its_ends) {
  const std::vector<station_record> stations = train_stations();
  EXPECT_NE(line_at(5).find("da: " + stations.front().nome), std::string::npos);
  EXPECT_NE(line_at(6).find("a: " + stations.back().nome), std::string::npos);
  EXPECT_NE(line_at(5).find("TRENO n.4518"), std::string::npos);
}

}  // namespace
}  // namespace scenario
