// Program-wide state of one run.
#ifndef TRV_APP_GLOBALS_H_
#define TRV_APP_GLOBALS_H_

#include <filesystem>
#include <string>

#include "sioc_lib/txt_file.h"

extern const std::string setupVersion;  // ends with its own line end
// The folder whose parent is the base folder, by its exact name.
extern const std::string baseFolderWord;
// The files a run writes into the base folder, and their paths there.
extern const std::filesystem::path moduleListFileName;
extern const std::filesystem::path siocIniFileName;
extern const std::filesystem::path siocIniBackupFileName;
std::filesystem::path moduleListPath();
std::filesystem::path siocIniPath();
std::filesystem::path siocIniBackupPath();
extern const std::filesystem::path startupFolder;  // empty if unreadable
extern std::filesystem::path baseFolder;           // the folder holding Vorlancockpit
extern sioc_lib::LineList& moduleListContent;
extern sioc_lib::LineList& siocIniContent;

#endif  // TRV_APP_GLOBALS_H_
