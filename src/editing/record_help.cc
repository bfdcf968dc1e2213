#include "editing/record_help.h"

#include "compiler/record_reader.h"
#include "model/translation.h"

namespace scenario::editing {
namespace {

using d = description;
using k = record_kind;

std::vector<record_help> make_table() {
  std::vector<record_help> t;
  // The line description.
  t.push_back({"lunghezza percorso",
               d::line,
               "[generale]",
               N_("the length of the line"),
               {{"lunghezza",
                 N_("length of the line; the cells cover it and a "
                    "margin"),
                 "m", true}},
               k::line_length});
  for (std::string_view which : {"uno", "due", "tre"}) {
    t.push_back({which == "uno"   ? "progressiva chilometrica uno"
                 : which == "due" ? "progressiva chilometrica due"
                                  : "progressiva chilometrica tre",
                 d::line,
                 "[generale]",
                 N_("a kilometric progressive of the line"),
                 {{"inizio", N_("where the progressive starts"), "m", true},
                  {"fine", N_("where the progressive ends"), "m", true},
                  {"valore", N_("the kilometre it shows"), "", false}},
                 std::nullopt});
  }
  for (std::string_view which : {"uno", "due", "tre"}) {
    t.push_back({which == "uno"   ? "sfondo uno"
                 : which == "due" ? "sfondo due"
                                  : "sfondo tre",
                 d::line,
                 "[generale]",
                 N_("a background of the line"),
                 {{"sfondo", N_("background number"), "", false}},
                 std::nullopt});
  }
  t.push_back(
      {"ripetizione segnali 4 codici",
       d::line,
       "[generale]",
       N_("the stretch with signal repetition (4 or 9 codes, named in "
          "the key)"),
       {{"inizio", N_("start of the stretch, a multiple of 50"), "m", true},
        {"fine", N_("end of the stretch; 0 for none"), "m", true}},
       std::nullopt});
  t.push_back({"curva",
               d::line,
               "[curve]",
               N_("a curve: \"curvas\" left, \"curvad\" right, and its class 1 "
                  "to 6 (curvad1 to curvas6)"),
               {{"inizio", N_("where the curve starts"), "m", true},
                {"lunghezza", N_("length of the curve"), "m", false}},
               k::curve});
  t.push_back({"pendenza",
               d::line,
               "[pendenze]",
               N_("a gradient change, in force up to the next"),
               {{"posizione", N_("where the gradient takes effect"), "m", true},
                {"pendenza", N_("gradient"), "per mille", false}},
               k::gradient});
  t.push_back({"montagna",
               d::line,
               "[montagne]",
               N_("a tunnel span"),
               {{"inizio", N_("entrance of the tunnel"), "m", true},
                {"fine", N_("exit of the tunnel"), "m", true},
                {"tipo",
                 N_("tunnel kind 1 to 3; above 10 kind tipo - 10 with "
                    "tunnel markers"),
                 "", false}},
               k::tunnel});
  t.push_back({"indicatori_vmax",
               d::line,
               "[cartelli]",
               N_("a maximum-speed indicator board"),
               {{"posizione", N_("where the board stands"), "m", true},
                {"vas", N_("left side: speed a"), "km/h", false},
                {"vbs", N_("left side: speed b"), "km/h", false},
                {"vcs", N_("left side: speed c"), "km/h", false},
                {"strisces", N_("left side: stripe count"), "", false},
                {"vad", N_("right side: speed a"), "km/h", false},
                {"vbd", N_("right side: speed b"), "km/h", false},
                {"vcd", N_("right side: speed c"), "km/h", false},
                {"strisced", N_("right side: stripe count"), "", false}},
               k::speed_board});
  t.push_back({"cartello_indicatore",
               d::line,
               "[indicazioni]",
               N_("a direction board; \"(GALLERIA)(NAME)(m.LENGTH)\" announces "
                  "a tunnel"),
               {{"posizione", N_("where the board stands"), "m", true},
                {"testo", N_("the board's text"), "", false}},
               k::direction_board});
  // The train and service description.
  t.push_back({"numero vetture",
               d::train,
               "[generale]",
               N_("the train's cars"),
               {{"vetture", N_("number of cars"), "", false}},
               std::nullopt});
  t.push_back({"percentuale massa frenata",
               d::train,
               "[generale]",
               N_("the braking mass"),
               {{"massa", N_("braking mass percentage"), "%", false}},
               std::nullopt});
  t.push_back({"sabbia",
               d::train,
               "[generale]",
               N_("the sand"),
               {{"sabbia", N_("sand value"), "", false}},
               std::nullopt});
  t.push_back({"orologio",
               d::train,
               "[generale]",
               N_("the clock at the start"),
               {{"ore", N_("hours"), "h", false},
                {"minuti", N_("minutes"), "min", false},
                {"secondi", N_("seconds"), "s", false}},
               std::nullopt});
  t.push_back({"aderenza",
               d::train,
               "[aderenze]",
               N_("an adhesion change, in force up to the next"),
               {{"posizione", N_("where the adhesion takes effect"), "m", true},
                {"aderenza", N_("adhesion"), "%", false}},
               k::adhesion});
  t.push_back(
      {"velocita",
       d::train,
       "[vel_limite]",
       N_("a speed-limit change, in force up to the next"),
       {{"posizione", N_("where the limit takes effect"), "m", true},
        {"velocita", N_("speed limit, stored in steps of 5"), "km/h", false}},
       k::speed_limit});
  t.push_back({"stazione",
               d::train,
               "[stazioni]",
               N_("a station of the timetable"),
               {{"posizione", N_("where the station stands, a multiple of 50"),
                 "m", true},
                {"tipo", N_("station type"), "", false},
                {"lunghezza", N_("length of the station, a multiple of 100"),
                 "m", false},
                {"flag1", "flag1", "", false},
                {"flag5", "flag5", "", false},
                {"flag4", "flag4", "", false},
                {"num1", "num1", "", false},
                {"num2", "num2", "", false},
                {"flag2", "flag2", "", false},
                {"num3", "num3", "", false},
                {"num4", "num4", "", false},
                {"num5", "num5", "", false},
                {"flag3", N_("dwell: not 0 where the train stops"), "", false},
                {"ore", N_("hours of the station's time"), "h", false},
                {"minuti", N_("minutes of the station's time"), "min", false},
                {"secondi", N_("seconds of the station's time"), "s", false},
                {"nome", N_("the station's name"), "", false}},
               k::station});
  t.push_back(
      {"rallentamento",
       d::train,
       "[rallentamenti]",
       N_("a slowdown"),
       {{"x", N_("start of the slowdown"), "m", true},
        {"v", N_("speed"), "km/h", false},
        {"l", N_("length"), "m", false},
        {"f_tt", N_("value for the start and end cells"), "", false},
        {"f_ta", N_("switch for the four approach cells (0 = off)"), "", false},
        {"d_v", N_("second speed (0 = none)"), "km/h", false}},
       k::slowdown});
  t.push_back({"segnale",
               d::train,
               "[segnali]",
               N_("a signal"),
               {{"posizione", N_("where the signal stands"), "m", true},
                {"sx", N_("kind code of the left side"), "", false},
                {"s1", N_("left side: first value"), "", false},
                {"s2", N_("left side: second value"), "", false},
                {"s3", N_("left side: third value"), "", false},
                {"rapp", N_("a further code"), "", false},
                {"dx", N_("kind code of the right side"), "", false},
                {"d1", N_("right side: first value"), "", false},
                {"d2", N_("right side: second value"), "", false},
                {"d3", N_("right side: third value"), "", false},
                {"tempo", N_("time value"), "", false}},
               k::signal});
  t.push_back({"abbattimento",
               d::train,
               "[segnali]",
               N_("a speed point"),
               {{"posizione", N_("where the speed point stands"), "m", true},
                {"velocita", N_("speed value; below 1 for none"), "", false}},
               k::speed_point});
  return t;
}

// The compiler's tests on a key, in the order it applies them.
bool matches(const record_help& r, std::string_view key) {
  const std::string_view w = r.key;
  if (w == "lunghezza percorso") {
    return contains_nocase(key, "percorso") &&
           contains_nocase(key, "lunghezza");
  }
  if (w.starts_with("progressiva")) {
    return contains_exact(key, "progressiva") &&
           contains_exact(key, w.substr(w.rfind(' ') + 1));
  }
  if (w.starts_with("sfondo")) {
    return contains_exact(key, "sfondo") &&
           contains_exact(key, w.substr(w.rfind(' ') + 1));
  }
  if (w.starts_with("ripetizione")) {
    return contains_exact(key, "segnali") && contains_exact(key, "ripetizione");
  }
  if (w == "curva") return contains_nocase(key, "curva");
  if (w == "indicatori_vmax") return contains_nocase(key, "indicatori_v");
  if (w == "cartello_indicatore") {
    return contains_nocase(key, "cartello") && contains_nocase(key, "indicat");
  }
  if (w == "numero vetture") return contains_nocase(key, "vetture");
  if (w == "percentuale massa frenata") {
    return contains_nocase(key, "frenata") && contains_nocase(key, "massa");
  }
  if (w == "velocita") return contains_nocase(key, "velocit");
  return contains_nocase(key, w);
}

}  // namespace

std::span<const record_help> all_record_help() {
  static const std::vector<record_help> table = make_table();
  return table;
}

const record_help* help_for_key(std::string_view key, description in) {
  if (key.find('[') != std::string_view::npos) return nullptr;
  for (const record_help& r : all_record_help()) {
    if (r.in == in && matches(r, key)) return &r;
  }
  return nullptr;
}

std::vector<const record_help*> keys_for_section(std::string_view section,
                                                 description in) {
  std::vector<const record_help*> out;
  for (const record_help& r : all_record_help()) {
    if (r.in == in && r.section == section) out.push_back(&r);
  }
  if (out.empty()) {
    for (const record_help& r : all_record_help()) {
      if (r.in == in) out.push_back(&r);
    }
  }
  return out;
}

std::string snippet(const record_help& r) {
  std::string s(r.key == "curva"
                    ? "curva${1|d1,d2,d3,d4,d5,d6,s1,s2,s3,s4,s5,s6|}"
                    : r.key);
  int n = r.key == "curva" ? 2 : 1;
  for (const field_help& f : r.fields) {
    s += ", ${" + std::to_string(n++) + ":" + std::string(f.name) + "}";
  }
  return s;
}

std::string field_list(const record_help& r) {
  std::string s;
  for (const field_help& f : r.fields) {
    if (!s.empty()) s += ", ";
    s += f.name;
    if (!f.unit.empty()) s += " (" + std::string(f.unit) + ")";
  }
  return s;
}

}  // namespace scenario::editing
