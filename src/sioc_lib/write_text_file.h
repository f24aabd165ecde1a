#ifndef TRV_SIOC_LIB_WRITE_TEXT_FILE_H_
#define TRV_SIOC_LIB_WRITE_TEXT_FILE_H_

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "sioc_lib/replace_file.h"
#include "sioc_lib/txt_file.h"

// What writeTextFile does with a file that already stands at its name.
enum class ExistingFile { kReplace, kKeep };

// Writes the lines to fileName and prints "<path> created.". The file appears
// in one step, complete and flushed to the disk, with the readers (owner,
// group, permissions, ACL; on Windows attributes and DACL) of the file it
// replaces; a new one gets its folder's defaults. With kKeep, something
// standing at the name when the file would appear is left alone and nothing
// is printed. On any failure throws std::runtime_error
// "Failed to create <path>" and leaves an earlier file exactly as it was.
void writeTextFile(const sioc_lib::LineList& lines, const std::filesystem::path& fileName,
                   ExistingFile existing = ExistingFile::kReplace);

// Why writeTextFile would fail to write fileName now, found without writing
// anything: the message it would throw, or none. earlier is what stands at
// the name now; held tells whether another program has the file it would
// replace open right now, which a run waits for.
std::optional<std::string> foreseeWriteFailure(const std::filesystem::path& fileName,
                                               ExistingFile existing,
                                               sioc_lib::FileStatus& earlier, bool& held);

// The temporaries in folder that runs cut off left behind, as a run that
// made its own at time ours would find them.
std::vector<std::filesystem::path> staleTemporaries(const std::filesystem::path& folder,
                                                    sioc_lib::FileTime ours);

// Whether writeTextFile refuses to replace what stands at a name: a folder
// (never removed to make room), a file made read-only, or a name that cannot
// be looked at.
bool refusesToReplace(const sioc_lib::FileStatus& earlier);

// The same for bytes that are written exactly as they are: a copy, with the
// readers of the file readersOf.
void writeByteFile(const std::string& bytes, const std::filesystem::path& fileName,
                   ExistingFile existing, const std::filesystem::path& readersOf);

#endif  // TRV_SIOC_LIB_WRITE_TEXT_FILE_H_
