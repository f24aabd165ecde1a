#include "app/dry_run_file_system.h"

#include <algorithm>
#include <thread>

#include "sioc_lib/file_rules.h"

sioc_lib::FileStatus DryRunFileSystem::status(const std::filesystem::path& name,
                                              bool followLinks) {
  // The temporary it did not make stands there now, by this PC's clock.
  if (name == made_) return {sioc_lib::Standing::kFile, false, now()};
  return SystemFileSystem::status(name, followLinks);
}

std::vector<std::filesystem::path> DryRunFileSystem::list(
    const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> names = SystemFileSystem::list(folder);
  // Gone after the first step that removes it, as in a run.
  names.erase(std::remove_if(names.begin(), names.end(),
                             [&](const auto& name) { return removed_.count(name) != 0; }),
              names.end());
  return names;
}

sioc_lib::Created DryRunFileSystem::create(const std::filesystem::path& temporary) {
  switch (accessToCreateIn(temporary.parent_path())) {
    case sioc_lib::Access::kGranted:
      made_ = temporary;
      return sioc_lib::Created::kCreated;
    case sioc_lib::Access::kRefused:
      return sioc_lib::Created::kFailed;
    default:
      return sioc_lib::Created::kDenied;
  }
}

bool DryRunFileSystem::remove(const std::filesystem::path& file, bool) {
  if (file != made_) removed_.insert(file);
  return true;
}

bool DryRunFileSystem::replace(const std::filesystem::path&,
                               const std::filesystem::path& target) {
  // Where nothing stands, the move only names the file.
  if (SystemFileSystem::status(target, false).what == sioc_lib::Standing::kNothing)
    return true;
  sioc_lib::Access access = sioc_lib::Access::kGranted;
  return sioc_lib::attemptWhileHeld(
      [&] { return (access = accessToReplace(target)) == sioc_lib::Access::kGranted; },
      [&] { return access == sioc_lib::Access::kHeld; },
      [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); });
}

sioc_lib::Placement DryRunFileSystem::place(const std::filesystem::path&,
                                            const std::filesystem::path& target) {
  return SystemFileSystem::status(target, false).what == sioc_lib::Standing::kNothing
             ? sioc_lib::Placement::kPlaced
             : sioc_lib::Placement::kNameTaken;
}
