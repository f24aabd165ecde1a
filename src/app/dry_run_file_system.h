// The file system as a run meets it, with nothing written: the preview takes
// the run's steps over it, and so does a run, before it writes, to stop
// where a step would fail.
#ifndef TRV_APP_DRY_RUN_FILE_SYSTEM_H_
#define TRV_APP_DRY_RUN_FILE_SYSTEM_H_

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "sioc_lib/file_system.h"

// What stands, what is read, the access probes and the clock are the
// system's; nothing is written, and each step the system would refuse fails
// as it would in the run, after the same wait for a file another program
// holds.
class DryRunFileSystem : public sioc_lib::SystemFileSystem {
 public:
  sioc_lib::FileStatus status(const std::filesystem::path& name,
                              bool followLinks) override;
  std::vector<std::filesystem::path> list(const std::filesystem::path& folder) override;
  sioc_lib::Created create(const std::filesystem::path& temporary) override;
  // Only writing can tell a full disk.
  bool write(const std::string&, const std::filesystem::path&) override { return true; }
  bool remove(const std::filesystem::path& file, bool) override;
  bool replace(const std::filesystem::path&,
               const std::filesystem::path& target) override;
  sioc_lib::Placement place(const std::filesystem::path&,
                            const std::filesystem::path& target) override;
  void syncFolder(const std::filesystem::path&) override {}

 private:
  std::filesystem::path made_;
  std::set<std::filesystem::path> removed_;
};

#endif  // TRV_APP_DRY_RUN_FILE_SYSTEM_H_
