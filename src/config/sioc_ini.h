// The text of SIOC's sioc.ini, and the one-time backup of an earlier one.
#ifndef TRV_CONFIG_SIOC_INI_H_
#define TRV_CONFIG_SIOC_INI_H_

#include <filesystem>
#include <optional>
#include <string>

namespace sioc_lib {
class FileReports;
}  // namespace sioc_lib

// Appends the 24 elements of sioc.ini to siocIniContent.
void buildSiocIni();

std::string slotHeader(int slotIndex);
std::string slotEntry(int slotIndex, const std::string& key,
                      const std::string& fixedText);
std::string masterEntry(int slotIndex, const std::string& fixedText);
std::string usbKeysEntry(int slotIndex, const std::string& fixedText);

// Keeps a copy of the sioc.ini found before the first run; never replaces it,
// not even one that another run makes at the same time. Throws "Failed to
// read <path>" when the backup's name cannot be looked at, or the old
// sioc.ini cannot be read to its end as one whole version (two reads of the
// same bytes, far enough apart that no save pausing for half a second
// between its writes lies across them unless sioc.ini was last written long
// before), and "Failed to create <path>" when something that is no file (a
// folder, a link to nothing) stands at the backup's name.
void backupSiocIni(sioc_lib::FileReports& reports);

// The line naming a copy of sioc.ini under Windows' VirtualStore, which
// older programs started without administrator rights read instead of the
// real one; none where no such copy stands.
std::optional<std::string> virtualStoreNote();

#endif  // TRV_CONFIG_SIOC_INI_H_
