// Merges the module.lst files of the detected modules into one sorted list.
#ifndef TRV_CONFIG_MODULE_LIST_H_
#define TRV_CONFIG_MODULE_LIST_H_

#include <filesystem>

// Base folder / Vorlancockpit / TRV<slot name>.
std::filesystem::path moduleFolder(int slotIndex);

// Visits the detected slots in order; a module without a usable folder or
// module.lst is reported and its slot cleared.
void collectModuleFolders();
void collectModuleFolder(int slotIndex);

#endif  // TRV_CONFIG_MODULE_LIST_H_
