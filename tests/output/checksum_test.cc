#include "output/checksum.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

struct checksum_case {
  const char* treno;
  const char* percorso;
  const char* work;
  int og;
  int st;
};

// Expected sums computed independently of the code under test.
int sum_codes(const std::string& s) {
  int t = 0;
  for (unsigned char c : s) t += c;
  return t;
}
int weighted_sum(const std::string& s) {
  int t = 0;
  for (size_t i = 0; i < s.size(); ++i) t += (unsigned char)s[i] * int(i + 1);
  return t;
}

TEST(checksum, build_identifiers_give_the_known_sums) {
  scenario_model m;
  m.voci[86].nome = "IR 4518";
  m.voci[85].nome = "Tarvena_Olmisco";
  EXPECT_EQ(codice_gara_og(m), 2359);
  EXPECT_EQ(m.riga, "ir 4518tarvena_olmiscoaab");
  EXPECT_EQ(codice_gara_st(m), 32651);
  EXPECT_EQ(m.riga, "ir 4518tarvena_olmiscoaab");
}

TEST(checksum, work_string_takes_train_then_route_lowered_then_padding) {
  const checksum_case cases[] = {
      // Both empty: the padding alone.
      {"", "", "aabbccddeeffgghhiillmmnno", 0, 0},
      // Together 25 characters or more: the padding plays no part.
      {"ABCDEFGHIJKLMNOP", "QRSTUVWXYZ0123", "abcdefghijklmnopqrstuvwxy", 0, 0},
      // Short names: padding fills the rest.
      {"X", "Y_Z", "xy_zaabbccddeeffgghhiillm", 0, 0},
  };
  for (const checksum_case& c : cases) {
    SCOPED_TRACE(c.work);
    scenario_model m;
    m.voci[86].nome = c.treno;
    m.voci[85].nome = c.percorso;
    EXPECT_EQ(checksum_work_string(m), c.work);
    EXPECT_EQ(codice_gara_og(m), sum_codes(c.work));
    EXPECT_EQ(codice_gara_st(m), weighted_sum(c.work));
  }
}

TEST(checksum, high_characters_count_as_unsigned_codes) {
  scenario_model m;
  m.voci[86].nome = std::string(25, '\xFF');
  EXPECT_EQ(codice_gara_og(m), 25 * 255);
  EXPECT_EQ(codice_gara_st(m), 255 * (25 * 26 / 2));
}

}  // namespace
}  // namespace scenario
