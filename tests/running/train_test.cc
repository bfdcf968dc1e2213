// The train's values: the deceleration law, overrides from a JSON file and
// from a list of margin bands, and the refusal of unusable values.
#include "running/train.h"

#include <gtest/gtest.h>

#include <string>

namespace scenario {
namespace {

TEST(train, deceleration_grows_with_the_braked_mass_percentage) {
  train_parameters t;
  for (const auto& [percent, want] :
       {std::pair{100.0, 0.5}, {80.0, 0.4}, {150.0, 0.75}}) {
    t.braked_mass_percent = percent;
    EXPECT_DOUBLE_EQ(t.deceleration_ms2(), want) << percent << " %";
  }
}

TEST(train, the_scenario_gives_cars_and_braked_mass_unless_it_holds_none) {
  scenario_model m;
  train_parameters t;
  take_from_scenario(m, t);
  EXPECT_EQ(t.cars, 7);  // the default: the entry holds nothing
  EXPECT_EQ(t.braked_mass_percent, 100);
  m.voci[voce_index::treno_generale].posizione = 4;
  m.voci[voce_index::treno_generale].inizio = 70;
  take_from_scenario(m, t);
  EXPECT_EQ(t.cars, 4);
  EXPECT_EQ(t.braked_mass_percent, 70);
  EXPECT_DOUBLE_EQ(t.mass_t(), 80 + 4 * 40);
  EXPECT_DOUBLE_EQ(t.length_m(), 16 + 4 * 26.4);
}

TEST(train, json_overrides_apply_or_say_what_is_wrong) {
  running_parameters p;
  std::string why;
  ASSERT_TRUE(apply_json_overrides(
      R"({"power_kw": 2000, "cars": 5, "margin": {"bands": [[120, 3],
          [1e9, 6]], "minutes_per_100km": 2, "slack_factor": 3}})",
      p, translator(), &why))
      << why;
  EXPECT_EQ(p.train.power_kw, 2000);
  EXPECT_EQ(p.train.cars, 5);
  EXPECT_EQ(p.margin.percent_at(100), 3);
  EXPECT_EQ(p.margin.percent_at(121), 6);
  EXPECT_EQ(p.margin.minutes_per_100km, 2);
  EXPECT_EQ(p.margin.slack_factor, 3);

  // Each refusal in English and in Italian: the JSON names stay as they are.
  const struct {
    const char* json;
    const char* why;
    const char* italian;
  } bad[] = {
      {"[1, 2]", "not a JSON object", "non è un oggetto JSON"},
      {"{\"power_kw\": ", "not a JSON object", "non è un oggetto JSON"},
      {"{\"horsepower\": 3}", "unknown train parameter \"horsepower\"",
       "parametro del treno sconosciuto \"horsepower\""},
      {"{\"power_kw\": \"lots\"}", "\"power_kw\" must be a number",
       "\"power_kw\" deve essere un numero"},
      {"{\"power_kw\": 0}", "power_kw must be from 10 to 50000 kW; it is 0",
       "power_kw deve essere da 10 a 50000 kW; vale 0"},
      {"{\"adhesion\": 0.001}",
       "adhesion must be from 0.01 to 0.6; it is 0.001",
       "adhesion deve essere da 0.01 a 0.6; vale 0.001"},
      {"{\"cars\": 2.5}", "\"cars\" must be a whole number",
       "\"cars\" deve essere un numero intero da 0 a 100"},
      {"{\"loco_inertia_factor\": 0.9}",
       "loco_inertia_factor must be from 1 to 2",
       "loco_inertia_factor deve essere da 1 a 2"},
      {"{\"inertia_factor\": 1.1}", "\"inertia_factor\" is no longer a value",
       "\"inertia_factor\" non è più un valore: usare "
       "\"loco_inertia_factor\" e \"car_inertia_factor\""},
      {"{\"max_acceleration_ms2\": 1}", "the starting force comes from",
       "lo sforzo all'avviamento viene da \"adhesion\""},
      {"{\"braked_mass_percent\": 0}", "braked_mass_percent must be from 1",
       "braked_mass_percent deve essere da 1 a 250 %; vale 0"},
      {"{\"braked_mass_percent\": 250, \"deceleration_at_100_ms2\": 1.5}",
       "the deceleration on the level (braked_mass_percent 250 % of 1.5 "
       "m/s^2) is 3.75 m/s^2; it must be from 0.05 to 1.5 m/s^2",
       "la decelerazione in piano (braked_mass_percent 250 % di 1.5 m/s^2) "
       "vale 3.75 m/s^2; deve essere da 0.05 a 1.5 m/s^2"},
      {"{\"margin\": 3}", "\"margin\" must be an object",
       "\"margin\" deve essere un oggetto"},
      {"{\"margin\": {\"bands\": [[140]]}}", "each band is a pair",
       "ogni fascia è una coppia"},
      {"{\"margin\": {\"bands\": [[100, 300]]}}",
       "margin percentages must be from 0 to 100; one is 300",
       "le percentuali del margine devono essere da 0 a 100; una vale 300"},
      {"{\"margin\": {\"bands\": [[140, 3], [100, 4]]}}",
       "the margin bands must rise in speed",
       "le fasce del margine devono seguire velocità crescenti"},
      {"{\"margin\": {\"slack_factor\": 0.5}}",
       "slack_factor must be from 1 to 100; it is 0.5",
       "slack_factor deve essere da 1 a 100; vale 0.5"},
      {"{\"margin\": {\"extra\": 1}}", "unknown margin parameter \"extra\"",
       "parametro del margine sconosciuto \"extra\""},
  };
  const translator italian = translator::for_locale("it");
  for (const auto& c : bad) {
    running_parameters q;
    std::string w;
    EXPECT_FALSE(apply_json_overrides(c.json, q, translator(), &w)) << c.json;
    EXPECT_NE(w.find(c.why), std::string::npos) << c.json << ": " << w;
    running_parameters r;
    std::string i;
    EXPECT_FALSE(apply_json_overrides(c.json, r, italian, &i)) << c.json;
    EXPECT_NE(i.find(c.italian), std::string::npos) << c.json << ": " << i;
  }
}

TEST(train, margin_bands_parse_from_their_text) {
  std::vector<margin_band> bands;
  std::string why;
  ASSERT_TRUE(
      parse_margin_bands("100:3,160:5.5,*:7", bands, translator(), &why))
      << why;
  margin_parameters m;
  m.bands = bands;
  EXPECT_EQ(m.percent_at(100), 3);
  EXPECT_EQ(m.percent_at(100.5), 5.5);
  EXPECT_EQ(m.percent_at(300), 7);
  const struct {
    const char* text;
    const char* why;
    const char* italian;
  } bad[] = {
      {"", "no margin band", "nessuna fascia del margine"},
      {"140", "\"140\" is no band; write SPEED:PERCENT, e.g. 140:4,*:7",
       "\"140\" non è una fascia; scrivere VELOCITÀ:PERCENTUALE, ad es. "
       "140:4,*:7"},
      {"140:x", "\"140:x\" is no band", "\"140:x\" non è una fascia"},
      {"a:4", "\"a:4\" is no band", "\"a:4\" non è una fascia"},
      {"160:5,140:4", "the bands must rise in speed",
       "le fasce devono seguire velocità crescenti"},
  };
  for (const auto& c : bad) {
    EXPECT_FALSE(parse_margin_bands(c.text, bands, translator(), &why))
        << c.text;
    EXPECT_EQ(why.find(c.why), 0u) << c.text << ": " << why;
    EXPECT_FALSE(
        parse_margin_bands(c.text, bands, translator::for_locale("it"), &why))
        << c.text;
    EXPECT_EQ(why.find(c.italian), 0u) << c.text << ": " << why;
  }
}

TEST(train, every_output_names_the_values_it_used) {
  running_parameters p;
  p.train.power_kw = 2345;
  p.train.braked_mass_percent = 80;
  const std::string s = describe(p, translator());
  for (const char* part :
       {"locomotive 80 t", "2345 kW", "7 cars of 40 t and 26.4 m",
        "(360 t, 200.8 m)", "8.8 + 0.26 v N/t + (5 + 0.8 per car) v^2 N",
        "at most 250 kN", "adhesion 0.33 at rest", "top speed 160 km/h",
        "rotating masses 1.15 (locomotive), 1.04 (cars)", "cant 100 mm",
        "cant deficiency 130 mm", "braked mass 80 %, deceleration 0.4 m/s^2",
        "4 % to 140 km/h", "7 % above 200 km/h", "1.5 min per 100 km"}) {
    EXPECT_NE(s.find(part), std::string::npos) << part << " in " << s;
  }
}

}  // namespace
}  // namespace scenario
