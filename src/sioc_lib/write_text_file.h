#ifndef TRV_SIOC_LIB_WRITE_TEXT_FILE_H_
#define TRV_SIOC_LIB_WRITE_TEXT_FILE_H_

#include <filesystem>

#include "sioc_lib/txt_file.h"

// Replaces fileName with the lines and prints "<path> created.". On any
// failure throws std::runtime_error "Failed to create <path>" and leaves an
// earlier file exactly as it was.
void writeTextFile(const sioc_lib::LineList& lines,
                   const std::filesystem::path& fileName);

#endif  // TRV_SIOC_LIB_WRITE_TEXT_FILE_H_
