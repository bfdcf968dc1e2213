#include "editing/record_help.h"

#include "compiler/record_reader.h"

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
               "the length of the line",
               {{"lunghezza",
                 "length of the line; the cells cover it and a "
                 "margin",
                 "m", true}},
               k::line_length});
  for (std::string_view which : {"uno", "due", "tre"}) {
    t.push_back({which == "uno"   ? "progressiva chilometrica uno"
                 : which == "due" ? "progressiva chilometrica due"
                                  : "progressiva chilometrica tre",
                 d::line,
                 "[generale]",
                 "a kilometric progressive of the line",
                 {{"inizio", "where the progressive starts", "m", true},
                  {"fine", "where the progressive ends", "m", true},
                  {"valore", "the kilometre it shows", "", false}},
                 std::nullopt});
  }
  for (std::string_view which : {"uno", "due", "tre"}) {
    t.push_back({which == "uno"   ? "sfondo uno"
                 : which == "due" ? "sfondo due"
                                  : "sfondo tre",
                 d::line,
                 "[generale]",
                 "a background of the line",
                 {{"sfondo", "background number", "", false}},
                 std::nullopt});
  }
  t.push_back({"ripetizione segnali 4 codici",
               d::line,
               "[generale]",
               "the stretch with signal repetition (4 or 9 codes, named in "
               "the key)",
               {{"inizio", "start of the stretch, a multiple of 50", "m", true},
                {"fine", "end of the stretch; 0 for none", "m", true}},
               std::nullopt});
  t.push_back({"curva",
               d::line,
               "[curve]",
               "a curve: \"curvas\" left, \"curvad\" right, and its class 1 "
               "to 6 (curvad1 to curvas6)",
               {{"inizio", "where the curve starts", "m", true},
                {"lunghezza", "length of the curve", "m", false}},
               k::curve});
  t.push_back({"pendenza",
               d::line,
               "[pendenze]",
               "a gradient change, in force up to the next",
               {{"posizione", "where the gradient takes effect", "m", true},
                {"pendenza", "gradient", "per mille", false}},
               k::gradient});
  t.push_back({"montagna",
               d::line,
               "[montagne]",
               "a tunnel span",
               {{"inizio", "entrance of the tunnel", "m", true},
                {"fine", "exit of the tunnel", "m", true},
                {"tipo",
                 "tunnel kind 1 to 3; above 10 kind tipo - 10 with "
                 "tunnel markers",
                 "", false}},
               k::tunnel});
  t.push_back({"indicatori_vmax",
               d::line,
               "[cartelli]",
               "a maximum-speed indicator board",
               {{"posizione", "where the board stands", "m", true},
                {"vas", "left side: speed a", "km/h", false},
                {"vbs", "left side: speed b", "km/h", false},
                {"vcs", "left side: speed c", "km/h", false},
                {"strisces", "left side: stripe count", "", false},
                {"vad", "right side: speed a", "km/h", false},
                {"vbd", "right side: speed b", "km/h", false},
                {"vcd", "right side: speed c", "km/h", false},
                {"strisced", "right side: stripe count", "", false}},
               k::speed_board});
  t.push_back({"cartello_indicatore",
               d::line,
               "[indicazioni]",
               "a direction board; \"(GALLERIA)(NAME)(m.LENGTH)\" announces "
               "a tunnel",
               {{"posizione", "where the board stands", "m", true},
                {"testo", "the board's text", "", false}},
               k::direction_board});
  // The train and service description.
  t.push_back({"numero vetture",
               d::train,
               "[generale]",
               "the train's cars",
               {{"vetture", "number of cars", "", false}},
               std::nullopt});
  t.push_back({"percentuale massa frenata",
               d::train,
               "[generale]",
               "the braking mass",
               {{"massa", "braking mass percentage", "%", false}},
               std::nullopt});
  t.push_back({"sabbia",
               d::train,
               "[generale]",
               "the sand",
               {{"sabbia", "sand value", "", false}},
               std::nullopt});
  t.push_back({"orologio",
               d::train,
               "[generale]",
               "the clock at the start",
               {{"ore", "hours", "h", false},
                {"minuti", "minutes", "min", false},
                {"secondi", "seconds", "s", false}},
               std::nullopt});
  t.push_back({"aderenza",
               d::train,
               "[aderenze]",
               "an adhesion change, in force up to the next",
               {{"posizione", "where the adhesion takes effect", "m", true},
                {"aderenza", "adhesion", "%", false}},
               k::adhesion});
  t.push_back(
      {"velocita",
       d::train,
       "[vel_limite]",
       "a speed-limit change, in force up to the next",
       {{"posizione", "where the limit takes effect", "m", true},
        {"velocita", "speed limit, stored in steps of 5", "km/h", false}},
       k::speed_limit});
  t.push_back(
      {"stazione",
       d::train,
       "[stazioni]",
       "a station of the timetable",
       {{"posizione", "where the station stands, a multiple of 50", "m", true},
        {"tipo", "station type", "", false},
        {"lunghezza", "length of the station, a multiple of 100", "m", false},
        {"flag1", "flag1", "", false},
        {"flag5", "flag5", "", false},
        {"flag4", "flag4", "", false},
        {"num1", "num1", "", false},
        {"num2", "num2", "", false},
        {"flag2", "flag2", "", false},
        {"num3", "num3", "", false},
        {"num4", "num4", "", false},
        {"num5", "num5", "", false},
        {"flag3", "dwell: not 0 where the train stops", "", false},
        {"ore", "hours of the station's time", "h", false},
        {"minuti", "minutes of the station's time", "min", false},
        {"secondi", "seconds of the station's time", "s", false},
        {"nome", "the station's name", "", false}},
       k::station});
  t.push_back(
      {"rallentamento",
       d::train,
       "[rallentamenti]",
       "a slowdown",
       {{"x", "start of the slowdown", "m", true},
        {"v", "speed", "km/h", false},
        {"l", "length", "m", false},
        {"f_tt", "value for the start and end cells", "", false},
        {"f_ta", "switch for the four approach cells (0 = off)", "", false},
        {"d_v", "second speed (0 = none)", "km/h", false}},
       k::slowdown});
  t.push_back({"segnale",
               d::train,
               "[segnali]",
               "a signal",
               {{"posizione", "where the signal stands", "m", true},
                {"sx", "kind code of the left side", "", false},
                {"s1", "left side: first value", "", false},
                {"s2", "left side: second value", "", false},
                {"s3", "left side: third value", "", false},
                {"rapp", "a further code", "", false},
                {"dx", "kind code of the right side", "", false},
                {"d1", "right side: first value", "", false},
                {"d2", "right side: second value", "", false},
                {"d3", "right side: third value", "", false},
                {"tempo", "time value", "", false}},
               k::signal});
  t.push_back({"abbattimento",
               d::train,
               "[segnali]",
               "a speed point",
               {{"posizione", "where the speed point stands", "m", true},
                {"velocita", "speed value; below 1 for none", "", false}},
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
