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
sioc_lib::LineList moduleListContent;
sioc_lib::LineList siocIniContent;

std::filesystem::path moduleListPath() {
  return sioc_lib::joinPath(baseFolder, moduleListFileName.u8string());
}

std::filesystem::path siocIniPath() {
  return sioc_lib::joinPath(baseFolder, siocIniFileName.u8string());
}

std::filesystem::path siocIniBackupPath() {
  return sioc_lib::joinPath(baseFolder, siocIniBackupFileName.u8string());
}
