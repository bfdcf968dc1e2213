// Paths and file URIs both ways, in the POSIX and the Windows style: drive
// letters, accented folder names, shares, escapes decoded once.
#include "model/file_uri.h"

#include <gtest/gtest.h>

#include <string>

namespace scenario {
namespace {

struct uri_case {
  path_style style;
  std::string path;
  std::string uri;
};

TEST(file_uri, paths_and_uris_convert_both_ways_in_each_style) {
  const uri_case cases[] = {
      {path_style::posix, "/tmp/Tarvena_Olmisco_IR 4518-.txt",
       "file:///tmp/Tarvena_Olmisco_IR%204518-.txt"},
      {path_style::posix, "/a/Citt\xC3\xA0/b:c.txt",
       "file:///a/Citt%C3%A0/b%3Ac.txt"},
      {path_style::windows, "C:\\Citt\xC3\xA0\\Tarvena_Olmisco_IR 4518-.txt",
       "file:///C:/Citt%C3%A0/Tarvena_Olmisco_IR%204518-.txt"},
      {path_style::windows, "d:\\x~y\\z.txt", "file:///d:/x~y/z.txt"},
      {path_style::windows, "\\\\server\\share\\Citt\xC3\xA0.txt",
       "file://server/share/Citt%C3%A0.txt"},
  };
  for (const uri_case& c : cases) {
    EXPECT_EQ(uri_of_path(c.path, c.style), c.uri) << c.path;
    EXPECT_EQ(path_of_uri(c.uri, c.style), c.path) << c.uri;
  }
}

TEST(file_uri, uris_as_editors_write_them_name_the_same_windows_path) {
  const struct {
    std::string uri;
    std::string path;
  } cases[] = {
      // The colon escaped and the letter lowered, as one editor writes.
      {"file:///c%3A/Citt%C3%A0/a-.txt", "c:\\Citt\xC3\xA0\\a-.txt"},
      {"file:///C:/Citt%c3%a0/a-.txt", "C:\\Citt\xC3\xA0\\a-.txt"},
      {"FILE:///C:/a.txt", "C:\\a.txt"},
      {"file://localhost/C:/a.txt", "C:\\a.txt"},
      // Decoded once: an escaped percent stays a percent.
      {"file:///C:/100%2541.txt", "C:\\100%41.txt"},
      {"untitled:Untitled-1", ""},
      {"file://host", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(path_of_uri(c.uri, path_style::windows), c.path) << c.uri;
  }
}

TEST(file_uri, relative_paths_are_relative_references) {
  EXPECT_EQ(uri_of_path("lines/valle d'oro.txt", path_style::posix),
            "lines/valle%20d%27oro.txt");
  EXPECT_EQ(uri_of_path("lines\\a b.txt", path_style::windows),
            "lines/a%20b.txt");
  // On POSIX a backslash is part of a name, and a drive-like name is no
  // drive.
  EXPECT_EQ(uri_of_path("/a\\b/C:/x", path_style::posix),
            "file:///a%5Cb/C%3A/x");
}

TEST(file_uri, utf8_text_of_a_path_comes_back_the_same) {
  const std::string text = "Citt\xC3\xA0/Tarvena_Olmisco_IR 4518-.txt";
  EXPECT_EQ(utf8_of_path(path_of_utf8(text)), text);
}

}  // namespace
}  // namespace scenario
