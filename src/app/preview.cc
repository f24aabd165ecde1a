#include "app/preview.h"

#include <dtl.hpp>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/console.h"
#include "app/globals.h"
#include "config/module_list.h"
#include "config/sioc_ini.h"
#include "sioc_lib/path_text.h"
#include "sioc_lib/replace_file.h"
#include "sioc_lib/txt_file.h"
#include "sioc_lib/write_text_file.h"

namespace {

std::string count(size_t n) { return std::to_string(n) + (n == 1 ? " line" : " lines"); }

// Whether the line ends of text change when its lines are written: an LF
// alone, or a last line without a line end.
bool lineEndsChange(const std::string& text) {
  for (size_t lf = text.find('\n'); lf != std::string::npos; lf = text.find('\n', lf + 1))
    if (lf == 0 || text[lf - 1] != '\r') return true;
  return !text.empty() && text.back() != '\n';
}

// The lines that would go and come, as a shortest edit: a moved board is its
// one line out and one line in, not the whole file.
void printChanges(const std::string& name, const std::vector<std::string_view>& before,
                  const std::vector<std::string_view>& after) {
  // Within a change, the lines that go come before those that come.
  dtl::Diff<std::string_view> diff(before, after, true);
  diff.compose();
  std::vector<std::string> changes;
  size_t out = 0;
  for (const auto& [text, at] : diff.getSes().getSequence()) {
    if (at.type == dtl::SES_COMMON) continue;
    const bool goes = at.type == dtl::SES_DELETE;
    out += goes ? 1 : 0;
    changes.push_back(std::string(goes ? "  - " : "  + ") +
                      std::to_string(goes ? at.beforeIdx : at.afterIdx) + ": " +
                      std::string(text));
  }
  printLine(name + ": " + count(out) + " out, " + count(changes.size() - out) + " in");
  for (const std::string& change : changes) printLine(change);
}

// What writing text to baseFolder / name would change.
void previewFile(const std::string& name, const std::string& text) {
  const std::filesystem::path path = sioc_lib::joinPath(baseFolder, name);
  const sioc_lib::FileStatus earlier = sioc_lib::fileStatus(path);
  if (earlier.what == sioc_lib::Standing::kNothing) return printLine(name + ": new");
  std::string bytes;
  try {
    if (earlier.what != sioc_lib::Standing::kError && refusesToReplace(earlier)) {
      throw std::runtime_error("Failed to create " + sioc_lib::windowsForm(path));
    }
    sioc_lib::TxtFileReader reader;
    if (!reader.open(path, false)) return printLine(name + ": new");  // no file
    bytes = reader.readBytes();
  } catch (const std::runtime_error& e) {
    printLine(name + ":");
    return printLine(std::string("! ") + e.what());
  }
  if (bytes == text) return printLine(name + ": unchanged");
  const std::vector<std::string_view> lines = sioc_lib::lineViews(bytes);
  const std::vector<std::string_view> written = sioc_lib::lineViews(text);
  if (lines == written) {
    return printLine(name + ": the same lines; their line ends become CR LF");
  }
  printChanges(name, lines, written);
  if (lineEndsChange(bytes)) printLine("  and the line ends become CR LF");
}

void previewBackup() {
  const std::string name = sioc_lib::pathText(siocIniBackupName().filename());
  try {
    const BackupPlan plan = planSiocIniBackup();
    if (plan.backupStands) return printLine(name + ": unchanged");
    printLine(name + (plan.copy ? ": new, a copy of sioc.ini"
                                : ": none is made, as there is no sioc.ini"));
  } catch (const std::runtime_error& e) {
    printLine(name + ":");
    printLine(std::string("! ") + e.what());
  }
}

}  // namespace

void previewSetupRun(const ModuleSlots& slots) {
  printLine("");
  printLine("What a setup run would change in " + sioc_lib::windowsForm(baseFolder) +
            ":");
  moduleSlots = slots;
  moduleListContent.clear();
  siocIniContent.clear();
  collectModuleFolders();
  buildSiocIni();
  if (moduleListContent.empty()) {
    printLine("A setup run would write nothing:");
    return printLine("No files produced ...");
  }
  previewFile(sioc_lib::pathText(moduleListFileName),
              sioc_lib::windowsText(moduleListContent));
  previewBackup();
  previewFile(sioc_lib::pathText(siocIniFileName), sioc_lib::windowsText(siocIniContent));
}
