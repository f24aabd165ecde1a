#include "app/globals.h"

#include <system_error>

namespace {

std::filesystem::path currentFolder() {
  std::error_code ec;
  std::filesystem::path folder = std::filesystem::current_path(ec);
  return ec ? std::filesystem::path() : folder;
}

}  // namespace

const std::string setupVersion = TRV_VERSION "\n";  // from CMake's project()
const std::filesystem::path moduleListFileName = "Vorlantrv.lst";
const std::filesystem::path siocIniFileName = "sioc.ini";
const std::filesystem::path startupFolder = currentFolder();
std::filesystem::path baseFolder;
sioc_lib::LineList moduleListContent;
sioc_lib::LineList siocIniContent;
