#include "sources/source_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace scenario {
namespace {

using name_fn = std::function<std::filesystem::path(
    const std::filesystem::path&, const std::string&, const std::string&)>;

struct name_case {
  const char* what;
  name_fn make;
  const char* file_name;
};

const name_case name_cases[] = {
    {"line",
     [](const auto& d, const auto& p, const auto&) {
       return linea_txt_path(d, p);
     },
     "Tarvena_Olmisco_linea.txt"},
    {"train", treno_txt_path, "Tarvena_Olmisco_IR 4518-.txt"},
    {"notes", note_txt_path, "Tarvena_Olmisco_IR 4518_note.txt"},
    {"slow orders", rallentamenti_txt_path,
     "Tarvena_Olmisco_IR 4518_rallentamenti.txt"},
    {"timetable card", scheda_txt_path,
     "Tarvena_Olmisco_IR 4518_scheda_treno.txt"},
};

TEST(SourceNames, names_are_route_then_train_byte_for_byte) {
  for (const name_case& c : name_cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.make("/srv/sim", "Tarvena_Olmisco", "IR 4518").string(),
              std::string("/srv/sim/") + c.file_name);
  }
}

TEST(SourceNames, directory_is_joined_with_exactly_one_separator) {
  for (const name_case& c : name_cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.make("/srv/sim/", "Tarvena_Olmisco", "IR 4518").string(),
              std::string("/srv/sim/") + c.file_name);
    EXPECT_EQ(c.make("rel", "Tarvena_Olmisco", "IR 4518").string(),
              std::string("rel/") + c.file_name);
  }
}

TEST(SourceNames, identifiers_are_taken_as_given) {
  EXPECT_EQ(treno_txt_path("/d", "A b", "T-1").string(), "/d/A b_T-1-.txt");
  EXPECT_EQ(linea_txt_path("/d", "x").string(), "/d/x_linea.txt");
  EXPECT_EQ(scheda_txt_path("/d", "R", "T").filename().string(),
            "R_T_scheda_treno.txt");
}

}  // namespace
}  // namespace scenario
