// The text of SIOC's sioc.ini, and the one-time backup of an earlier one.
#ifndef TRV_CONFIG_SIOC_INI_H_
#define TRV_CONFIG_SIOC_INI_H_

#include <functional>
#include <string>

// Appends the 24 elements of sioc.ini to siocIniContent.
void buildSiocIni();

std::string slotHeader(int slotIndex);
std::string slotEntry(int slotIndex, const std::string& key,
                      const std::string& fixedText);
std::string masterEntry(int slotIndex, const std::string& fixedText);
std::string usbKeysEntry(int slotIndex, const std::string& fixedText);

// Keeps a copy of the sioc.ini found before the first run; never replaces it,
// not even one that another run makes at the same time. Throws "Failed to
// read <path>" when the old sioc.ini cannot be read to its end.
void backupSiocIni();

// Called, when set, between the check for an earlier backup and the reading
// of sioc.ini: tests let another run make the backup there.
extern std::function<void()> afterBackupCheck;

#endif  // TRV_CONFIG_SIOC_INI_H_
