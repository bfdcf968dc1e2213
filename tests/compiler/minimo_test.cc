#include "compiler/minimo.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

struct minimo_case {
  int32_t x;
  int32_t y;
  int32_t expected;
};

class MinimoTest : public ::testing::TestWithParam<minimo_case> {};

TEST_P(MinimoTest, returns_the_smaller_value) {
  const minimo_case& c = GetParam();
  EXPECT_EQ(minimo(c.x, c.y), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Values, MinimoTest,
                         ::testing::Values(minimo_case{180, 90, 90},
                                           minimo_case{180, 180, 180},
                                           minimo_case{180, 200, 180},
                                           minimo_case{-5, 3, -5},
                                           minimo_case{3, -5, -5}));

}  // namespace
}  // namespace scenario
