#include "sioc_lib/path_text.h"

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#endif

namespace sioc_lib {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

std::string pathText(const std::filesystem::path& path) {
#ifdef _WIN32
  // A name with an unpaired surrogate, which NTFS allows, gets U+FFFD in its
  // place instead of an exception.
  const std::wstring& wide = path.native();
  const int length = static_cast<int>(wide.size());
  std::string text(static_cast<size_t>(WideCharToMultiByte(
                       CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr)),
                   '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(),
                      static_cast<int>(text.size()), nullptr, nullptr);
  return text;
#else
  return path.u8string();
#endif
}

std::string windowsForm(std::string text) {
  size_t leading = 0;
  while (leading < text.size() && isSeparator(text[leading])) ++leading;
  if (leading > 2) text.erase(0, leading - 2);
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

std::string windowsForm(const std::filesystem::path& path) {
  return windowsForm(pathText(path));
}

std::string wholeForm(const std::filesystem::path& path) {
  std::string text = windowsForm(path);
  std::replace(text.begin(), text.end(), ' ', kUnbrokenSpace);
  return text;
}

std::filesystem::path joinPath(const std::filesystem::path& left,
                               const std::string& right) {
  std::string text = pathText(left);
  const bool needSeparator = !text.empty() && text.back() != ':' &&
                             !isSeparator(text.back()) &&
                             !(!right.empty() && isSeparator(right.front()));
  if (needSeparator)
    text += static_cast<char>(std::filesystem::path::preferred_separator);
  text += right;
  return std::filesystem::u8path(text);
}

}  // namespace sioc_lib
