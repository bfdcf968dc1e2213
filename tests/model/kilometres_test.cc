#include "model/kilometres.h"

#include <gtest/gtest.h>

#include <limits>

namespace scenario {
namespace {

TEST(format_km, writes_kilometres_plus_three_digit_metres) {
  const struct {
    int64_t metres;
    const char* text;
  } cases[] = {
      {0, "0+000"},
      {50, "0+050"},
      {999, "0+999"},
      {1000, "1+000"},
      {17600, "17+600"},
      {99500, "99+500"},
      {1000000, "1000+000"},
      {-50, "-0+050"},
      {-1250, "-1+250"},
      {std::numeric_limits<int64_t>::min(), "-9223372036854775+808"},
  };
  for (const auto& c : cases) EXPECT_EQ(format_km(c.metres), c.text);
}

TEST(cell_position_m, objects_stand_one_cell_before_layers) {
  cella signal;
  signal.tipo = tipo_cella::segnale;
  EXPECT_EQ(cell_position_m(signal, 49), 2400);  // a signal at 2400 m
  cella point;
  point.tipo = tipo_cella::punto_velocita;
  EXPECT_EQ(cell_position_m(point, 49), 2450);  // a speed point at 2450 m
  EXPECT_EQ(cell_position_m(cella{}, 0), 0);
}

}  // namespace
}  // namespace scenario
