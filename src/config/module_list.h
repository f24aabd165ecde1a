// Merges the module.lst files of the detected modules into one sorted list.
#ifndef TRV_CONFIG_MODULE_LIST_H_
#define TRV_CONFIG_MODULE_LIST_H_

#include <filesystem>
#include <functional>
#include <string>

// Base folder / Vorlancockpit / TRV<slot name>.
std::filesystem::path moduleFolder(int slotIndex);

// A module a run leaves out, for want of a usable folder or module.lst.
struct LeftOutModule {
  int slot;
  std::string why;    // "module folder <path> not found", and the like
  std::string lines;  // what a run prints of it ("? ..." and "... not configured.")
};
using LeftOutReport = std::function<void(const LeftOutModule&)>;

// Visits the detected slots in order; a module left out is told to report
// and its slot cleared.
void collectModuleFolders(const LeftOutReport& report);
void collectModuleFolder(int slotIndex, const LeftOutReport& report);

#endif  // TRV_CONFIG_MODULE_LIST_H_
