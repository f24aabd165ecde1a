#include "sioc_lib/path_text.h"

#include <gtest/gtest.h>

namespace {

TEST(PathTextTest, WindowsForm) {
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"", ""},
      {"dir/file.txt", "dir\\file.txt"},
      {"dir\\file.txt", "dir\\file.txt"},
      {"a/b\\c//d", "a\\b\\c\\\\d"},
      {"/home/sim", "\\home\\sim"},
      {"\\Vorlancockpit", "\\Vorlancockpit"},
      {"//server/share/x", "\\\\server\\share\\x"},
      {"\\\\server\\share", "\\\\server\\share"},
      {"\\/\\/deep", "\\\\deep"},
      {"D:/Sim/x", "D:\\Sim\\x"},
      {"J\xC3\xB6rg/x", "J\xC3\xB6rg\\x"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(sioc_lib::windowsForm(std::string(c.text)), c.expected) << c.text;
}

TEST(PathTextTest, JoinPutsOneSeparatorWhereNeeded) {
  const std::string sep(1, static_cast<char>(std::filesystem::path::preferred_separator));
  const struct {
    const char* left;
    const char* right;
    std::string expected;
  } cases[] = {
      {"D:", "sioc.ini", "D:sioc.ini"},
      {"", "sioc.ini", "sioc.ini"},
      {"base", "sioc.ini", "base" + sep + "sioc.ini"},
      {"base/", "x", "base/x"},
      {"base\\", "x", "base\\x"},
      {"base", "/x", "base/x"},
      {"J\xC3\xB6rg", "TRVmcp", "J\xC3\xB6rg" + sep + "TRVmcp"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sioc_lib::joinPath(std::filesystem::u8path(c.left), c.right).u8string(),
              c.expected)
        << c.left << " + " << c.right;
  }
}

}  // namespace
