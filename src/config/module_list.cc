#include "config/module_list.h"

#include <stdexcept>
#include <string>

#include "app/globals.h"
#include "detect/modules.h"
#include "sioc_lib/file_system.h"
#include "sioc_lib/path_text.h"
#include "sioc_lib/txt_file.h"

std::filesystem::path moduleFolder(int slotIndex) {
  return sioc_lib::joinPath(sioc_lib::joinPath(baseFolder, baseFolderWord),
                            "TRV" + moduleName(slotIndex));
}

void collectModuleFolders(const LeftOutReport& report) {
  for (int slot = 0; slot < kModuleSlotCount; ++slot) {
    if (moduleSlots[slot] != -1) collectModuleFolder(slot, report);
  }
  // Sorted once, as after each module: std::string compares bytes as
  // unsigned values, shorter prefix first.
  moduleListContent.sort();
  moduleListContent.unique();
}

void collectModuleFolder(int slotIndex, const LeftOutReport& report) {
  const std::string name = moduleName(slotIndex);
  const std::filesystem::path folder = moduleFolder(slotIndex);
  const std::string shown = sioc_lib::windowsForm(folder);
  const std::string whole = sioc_lib::wholeForm(folder);
  const std::string fileName = "module.lst";

  auto notConfigured = [&](const std::string& problem, const std::string& why) {
    report({slotIndex, why, problem + "\n" + name + " not configured.\n"});
    moduleSlots[slotIndex] = -1;
  };

  // A folder that cannot be looked at may hold a module list: the run stops
  // rather than write the files without it.
  const sioc_lib::Standing standing = sioc_lib::fileSystem().status(folder, true).what;
  if (standing == sioc_lib::Standing::kError) {
    throw std::runtime_error("Failed to read " + shown);
  }
  if (standing != sioc_lib::Standing::kFolder) {
    notConfigured("\n? Module folder: " + shown + "\nnot found for " + name,
                  "module folder " + whole + " not found");
    return;
  }
  const std::filesystem::path file = sioc_lib::joinPath(folder, fileName);
  sioc_lib::TxtFileReader reader;
  if (!reader.open(file, false)) {
    notConfigured("\n? file " + fileName + " not found in " + shown,
                  "file " + fileName + " not found in " + whole);
    return;
  }
  sioc_lib::LineList lines;
  reader.readLines(lines);
  if (lines.empty()) {
    notConfigured("\n? file " + fileName + " in " + shown + " is empty.",
                  "file " + fileName + " in " + whole + " is empty");
    return;
  }
  for (std::string& line : lines) line = sioc_lib::windowsForm(std::move(line));
  moduleListContent.splice(moduleListContent.end(), lines);
}
