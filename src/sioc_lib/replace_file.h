#ifndef TRV_SIOC_LIB_REPLACE_FILE_H_
#define TRV_SIOC_LIB_REPLACE_FILE_H_

#include <filesystem>

namespace sioc_lib {

// Moves source over target in one step, replacing an earlier target file.
// False when the target could not be replaced; both files are then as before.
bool replaceFile(const std::filesystem::path& source,
                 const std::filesystem::path& target);

}  // namespace sioc_lib

#endif  // TRV_SIOC_LIB_REPLACE_FILE_H_
