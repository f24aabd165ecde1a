// The text of SIOC's sioc.ini, and the one-time backup of an earlier one.
#ifndef TRV_CONFIG_SIOC_INI_H_
#define TRV_CONFIG_SIOC_INI_H_

#include <string>

// Appends the 24 elements of sioc.ini to siocIniContent.
void buildSiocIni();

std::string slotHeader(int slotIndex);
std::string slotEntry(int slotIndex, const std::string& key,
                      const std::string& fixedText);
std::string masterEntry(int slotIndex, const std::string& fixedText);
std::string usbKeysEntry(int slotIndex, const std::string& fixedText);

// Keeps a copy of the sioc.ini found before the first run; never replaces it.
void backupSiocIni();

#endif  // TRV_CONFIG_SIOC_INI_H_
