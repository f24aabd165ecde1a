#include "app/location.h"

#include <cctype>

#include "app/globals.h"
#include "sioc_lib/path_text.h"

using sioc_lib::isSeparator;

// .*\\(TRV_setup)$ in any letter case: no line break, and the last name
// TRV_setup.
bool namesSetupFolder(const std::string& windowsText) {
  const std::string ending = "\\trv_setup";
  if (windowsText.find_first_of("\r\n") != std::string::npos ||
      windowsText.size() < ending.size())
    return false;
  const size_t at = windowsText.size() - ending.size();
  for (size_t i = 0; i < ending.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(windowsText[at + i])) != ending[i])
      return false;
  return true;
}

StartupLocation locateBaseFolder(const std::filesystem::path& startup) {
  StartupLocation result;
  const std::string text = sioc_lib::pathText(startup);

  if (!namesSetupFolder(sioc_lib::windowsForm(text))) {
    result.message =
        "! You should run this program in the SIOC\\Kesmira\\TRV_setup folder.";
    return result;
  }

  // The first folder named exactly Vorlancockpit; a longer name that merely
  // contains the word does not count.
  const std::string& word = baseFolderWord;
  for (size_t start = 0; start <= text.size();) {
    size_t end = start;
    while (end < text.size() && !isSeparator(text[end])) ++end;
    if (start > 0 && text.compare(start, end - start, word) == 0 &&
        end - start == word.size()) {
      std::string base = text.substr(0, start - 1);
      // In a root (D:\ or /) the base keeps its separator, so names formed
      // from it never become drive-relative.
      if (base.empty() || base.back() == ':') base += text[start - 1];
      result.found = true;
      result.baseFolder = std::filesystem::u8path(base);
      return result;
    }
    start = end + 1;
  }
  result.message = "! Your " + word + " folder could not be found...";
  return result;
}
