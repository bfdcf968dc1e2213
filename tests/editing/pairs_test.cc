#include "editing/pairs.h"

#include <gtest/gtest.h>

#include "model/file_uri.h"
#include "testing/temp_dir.h"

namespace scenario::editing {
namespace {

using scenario::testing::temp_dir;
using scenario::testing::write_file;

TEST(pairs,
     builder_names_pair_a_line_with_its_trains_and_a_train_with_its_line) {
  temp_dir dir;
  for (const char* name :
       {"Tarvena_Olmisco_linea.txt", "Tarvena_Olmisco_IR 4518-.txt",
        "Tarvena_Olmisco_R 20-.txt", "Other_linea.txt", "Other_X-.txt"}) {
    write_file(dir / name, "");
  }
  const fs::path line = dir / "Tarvena_Olmisco_linea.txt";
  const fs::path ir = dir / "Tarvena_Olmisco_IR 4518-.txt";
  const fs::path r20 = dir / "Tarvena_Olmisco_R 20-.txt";
  const pair_finder f;
  EXPECT_EQ(f.pairs_of(line, false, {}),
            (std::vector<description_pair>{{line, ir}, {line, r20}}));
  // The route holds '_': the longest route whose line exists.
  EXPECT_EQ(f.pairs_of(ir, false, {}),
            (std::vector<description_pair>{{line, ir}}));
  // A train open in the editor and not saved yet counts.
  const fs::path unsaved = dir / "Other_New-.txt";
  EXPECT_EQ(f.pairs_of(dir / "Other_linea.txt", false, {unsaved}),
            (std::vector<description_pair>{
                {dir / "Other_linea.txt", unsaved},
                {dir / "Other_linea.txt", dir / "Other_X-.txt"}}));
  // A line without a train is checked alone; a train without a line is
  // checked against none.
  write_file(dir / "Lone_linea.txt", "");
  EXPECT_EQ(f.pairs_of(dir / "Lone_linea.txt", false, {}),
            (std::vector<description_pair>{{dir / "Lone_linea.txt", {}}}));
  EXPECT_EQ(f.pairs_of(dir / "Nowhere_T-.txt", false, {}),
            (std::vector<description_pair>{{{}, dir / "Nowhere_T-.txt"}}));
}

TEST(pairs, the_workspace_file_pairs_any_names) {
  temp_dir dir;
  write_file(dir / "scenario-pairs.json",
             R"({"pairs": [{"line": "lines/valley.txt",
                             "train": "trains/ir.txt"}]})");
  const pair_finder f(dir.path());
  EXPECT_EQ(f.problem(), "");
  const description_pair p{dir / "lines/valley.txt", dir / "trains/ir.txt"};
  EXPECT_EQ(f.pairs_of(dir / "lines/valley.txt", false, {}),
            (std::vector<description_pair>{p}));
  EXPECT_EQ(f.pairs_of(dir / "trains/../trains/ir.txt", false, {}),
            (std::vector<description_pair>{p}));
  // Unlisted and unnamed: a line alone, or a train by its text.
  EXPECT_EQ(f.pairs_of(dir / "notes.txt", false, {}),
            (std::vector<description_pair>{{dir / "notes.txt", {}}}));
  EXPECT_TRUE(looks_like_train("[generale]\r\nnumero vetture, 7\r\n"));
  EXPECT_FALSE(looks_like_train("[generale]\r\nlunghezza percorso, 7\r\n"));
}

TEST(pairs, a_broken_workspace_file_is_reported_and_left_aside) {
  for (const char* text :
       {"{", "[]", R"({"pairs": {}})", R"({"pairs": [{"train": "t.txt"}]})"}) {
    temp_dir dir;
    write_file(dir / "scenario-pairs.json", text);
    const pair_finder f(dir.path());
    EXPECT_NE(f.problem(), "") << text;
    EXPECT_EQ(f.pairs_of(dir / "a_linea.txt", false, {}),
              (std::vector<description_pair>{{dir / "a_linea.txt", {}}}));
  }
}

TEST(pairs, files_in_an_accented_folder_pair_as_their_uris_name_them) {
  temp_dir dir;
  const fs::path folder =
      dir.path() / path_of_utf8("Citt\xC3\xA0 \xC3\xA8 Citt\xC3\xA0");
  fs::create_directory(folder);
  const fs::path line = folder / path_of_utf8("Tarvena_Olmisco_linea.txt");
  const fs::path train =
      folder / path_of_utf8("Tarvena_Olmisco_IR 4518 \xC3\xA0-.txt");
  write_file(line, "");
  write_file(train, "");
  // As the server reaches them: from the URI an editor sends, through the
  // path's UTF-8 text.
  const auto from_uri = [](const fs::path& p) {
    return path_of_utf8(path_of_uri(uri_of_path(utf8_of_path(p))))
        .lexically_normal();
  };
  ASSERT_EQ(from_uri(train), train.lexically_normal());
  const pair_finder f;
  EXPECT_EQ(f.pairs_of(from_uri(line), false, {}),
            (std::vector<description_pair>{
                {line.lexically_normal(), train.lexically_normal()}}));
  EXPECT_EQ(f.pairs_of(from_uri(train), false, {}),
            (std::vector<description_pair>{
                {line.lexically_normal(), train.lexically_normal()}}));
}

}  // namespace
}  // namespace scenario::editing
