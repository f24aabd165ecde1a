#ifndef TRV_APP_LOCATION_H_
#define TRV_APP_LOCATION_H_

#include <filesystem>
#include <string>

// Either the base folder (the folder that holds the Vorlancockpit folder) or
// the message that tells the user why the start-up folder is wrong.
struct StartupLocation {
  bool found = false;
  std::filesystem::path baseFolder;
  std::string message;
};

// Whether a start-up folder, in Windows form, is a TRV_setup folder.
bool namesSetupFolder(const std::string& windowsText);

StartupLocation locateBaseFolder(const std::filesystem::path& startup);

#endif  // TRV_APP_LOCATION_H_
