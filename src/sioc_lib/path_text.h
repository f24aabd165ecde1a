// Path text helpers shared by every part of the tool: how a path is shown to
// the user (Windows form) and how names are joined.
#ifndef TRV_SIOC_LIB_PATH_TEXT_H_
#define TRV_SIOC_LIB_PATH_TEXT_H_

#include <filesystem>
#include <string>

namespace sioc_lib {

// The UTF-8 text of a path. Text goes back to a path only through u8path.
std::string pathText(const std::filesystem::path& path);

// Every separator (slash or backslash) becomes one backslash. A leading run of
// two or more separators becomes exactly two, so a network path keeps its
// \\server prefix.
std::string windowsForm(std::string text);
std::string windowsForm(const std::filesystem::path& path);

// A path in a sentence the console breaks into lines: its Windows form, its
// spaces marked as spaces no line is broken at (shown as plain spaces).
constexpr char kUnbrokenSpace = '\x1F';
std::string wholeForm(const std::filesystem::path& path);

// Joins with one separator between the parts, none when the left part is
// empty or ends in a colon or a separator, or the right part begins with one.
std::filesystem::path joinPath(const std::filesystem::path& left,
                               const std::string& right);

bool isSeparator(char c);

}  // namespace sioc_lib

#endif  // TRV_SIOC_LIB_PATH_TEXT_H_
