#include "app/globals.h"

#include <system_error>

#include "sioc_lib/path_text.h"

namespace {

std::filesystem::path currentFolder() {
  std::error_code ec;
  std::filesystem::path folder = std::filesystem::current_path(ec);
  return ec ? std::filesystem::path() : folder;
}

}  // namespace

const std::string setupVersion = TRV_VERSION "\n";  // from CMake's project()
const std::string baseFolderWord = "Vorlancockpit";
const std::filesystem::path moduleListFileName = "Vorlantrv.lst";
const std::filesystem::path siocIniFileName = "sioc.ini";
const std::filesystem::path siocIniBackupFileName = "siocini_before_setup_Vorlantrv.ini";
const std::filesystem::path startupFolder = currentFolder();
std::filesystem::path baseFolder;
// Never destroyed: freeing the lists node by node as the program ends took a
// twentieth of a run, and the system takes the memory back whole.
sioc_lib::LineList& moduleListContent = *new sioc_lib::LineList;
sioc_lib::LineList& siocIniContent = *new sioc_lib::LineList;

std::filesystem::path moduleListPath() {
  return sioc_lib::joinPath(baseFolder, moduleListFileName.u8string());
}

std::filesystem::path siocIniPath() {
  return sioc_lib::joinPath(baseFolder, siocIniFileName.u8string());
}

std::filesystem::path siocIniBackupPath() {
  return sioc_lib::joinPath(baseFolder, siocIniBackupFileName.u8string());
}
