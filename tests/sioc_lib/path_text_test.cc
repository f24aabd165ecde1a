#include "sioc_lib/path_text.h"

#include <gtest/gtest.h>

namespace {

TEST(PathTextTest, JoinPutsOneSeparatorWhereNeeded) {
  const std::string sep(1, static_cast<char>(std::filesystem::path::preferred_separator));
  const struct {
    const char* left;
    const char* right;
    std::string joined;
  } cases[] = {
      {"D:", "x", "D:x"},  {"", "x", "x"},       {"base", "x", "base" + sep + "x"},
      {"b/", "x", "b/x"},  {"b\\", "x", "b\\x"}, {"b", "/x", "b/x"},
      {"b", "\\x", "b\\x"}};
  for (const auto& c : cases) {
    EXPECT_EQ(sioc_lib::joinPath(std::filesystem::u8path(c.left), c.right).u8string(),
              c.joined)
        << c.left << " + " << c.right;
  }
}

}  // namespace
