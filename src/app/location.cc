#include "app/location.h"

#include <regex>

#include "app/globals.h"
#include "sioc_lib/path_text.h"

using sioc_lib::isSeparator;

StartupLocation locateBaseFolder(const std::filesystem::path& startup) {
  StartupLocation result;
  const std::string text = sioc_lib::pathText(startup);

  static const std::regex setupFolder(R"(.*\\(TRV_setup)$)",
                                      std::regex::ECMAScript | std::regex::icase);
  if (!sioc_lib::matchWhole(sioc_lib::windowsForm(text), setupFolder)) {
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
