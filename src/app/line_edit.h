// Which lines of a file go and which come when it is written anew.
#ifndef TRV_APP_LINE_EDIT_H_
#define TRV_APP_LINE_EDIT_H_

#include <string_view>
#include <vector>

struct LineEdit {
  std::vector<bool> goes;   // for each line before: not kept
  std::vector<bool> comes;  // for each line after: not kept
  // False when the files were too large for the shortest edit to be sought
  // to its end: the edit is still right, but may list more than it must.
  bool shortest = true;
};

// Files of up to this many lines a side always get the shortest edit.
constexpr size_t kShortestEditLines = 10000;

// The kept lines, in order, are the same on both sides; everything else
// goes or comes. In time about (lines) x (changes), in memory a few words a
// line, so that any file that a run can write can be compared.
LineEdit editLines(const std::vector<std::string_view>& before,
                   const std::vector<std::string_view>& after);

#endif  // TRV_APP_LINE_EDIT_H_
