#include "app/line_edit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace {

using Lines = std::vector<std::string_view>;

// The most lines two files can keep in common, by the textbook table.
size_t longestCommon(const Lines& a, const Lines& b) {
  std::vector<std::vector<size_t>> most(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = a.size(); i-- > 0;) {
    for (size_t j = b.size(); j-- > 0;)
      most[i][j] = a[i] == b[j] ? most[i + 1][j + 1] + 1
                                : std::max(most[i + 1][j], most[i][j + 1]);
  }
  return most[0][0];
}

// The lines an edit keeps of one side.
Lines kept(const Lines& lines, const std::vector<bool>& changed) {
  Lines result;
  for (size_t i = 0; i < lines.size(); ++i)
    if (!changed[i]) result.push_back(lines[i]);
  return result;
}

// Over pairs of files drawn from a few lines, each file short enough for the
// shortest edit: the kept lines are the same on both sides, and no edit
// keeps more. Past the size limit the edit is still right.
TEST(LineEditTest, KeepsTheMostLines) {
  const std::string words[] = {"a", "b", "c", "", "a "};
  std::mt19937 random(1);
  for (int pair = 0; pair < 2000; ++pair) {
    Lines a(random() % 14), b(random() % 14);
    const size_t kinds = 1 + random() % std::size(words);
    for (auto& line : a) line = words[random() % kinds];
    for (auto& line : b) line = words[random() % kinds];
    const LineEdit edit = editLines(a, b);
    EXPECT_EQ(kept(a, edit.goes), kept(b, edit.comes));
    EXPECT_EQ(kept(a, edit.goes).size(), longestCommon(a, b));
    EXPECT_TRUE(edit.shortest);
  }
  std::vector<std::string> numbers;
  for (size_t i = 0; i <= kShortestEditLines; ++i)
    numbers.push_back(std::to_string(i % 3000));
  const Lines a(numbers.begin(), numbers.end()), b(numbers.rbegin(), numbers.rend());
  const LineEdit edit = editLines(a, b);
  EXPECT_EQ(kept(a, edit.goes), kept(b, edit.comes));
  EXPECT_FALSE(edit.shortest);
}

}  // namespace
