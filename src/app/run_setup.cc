#include "app/run_setup.h"

#include <exception>

#ifndef _WIN32
#include <csignal>
#endif

#include "app/console.h"
#include "app/dry_run_file_system.h"
#include "app/globals.h"
#include "app/location.h"
#include "config/module_list.h"
#include "config/sioc_ini.h"
#include "detect/modules.h"
#include "sioc_lib/path_text.h"
#include "sioc_lib/write_text_file.h"

namespace {

// File steps that tell nothing: a run's look ahead.
class SilentReports : public sioc_lib::FileReports {
 public:
  void begin(const std::filesystem::path& /*name*/) override {}
  void leftoverRemoved(const std::filesystem::path& /*temporary*/) override {}
  void written(const std::filesystem::path& /*name*/, const std::string& /*bytes*/,
               const sioc_lib::FileStatus& /*earlier*/,
               sioc_lib::ExistingFile /*existing*/) override {}
  void passedOver(const std::filesystem::path& /*name*/,
                  const std::string& /*why*/) override {}
};

// A run tells of each file that appears.
class RunReports : public SilentReports {
 public:
  void written(const std::filesystem::path& name, const std::string& /*bytes*/,
               const sioc_lib::FileStatus& /*earlier*/,
               sioc_lib::ExistingFile /*existing*/) override {
    printLine(sioc_lib::windowsForm(name) + " created.");
  }
};

}  // namespace

void writeSetupFiles(sioc_lib::FileReports& reports) {
  sioc_lib::writeTextFile(reports, moduleListContent, moduleListPath());
  // The backup must read the old sioc.ini before it is replaced.
  backupSiocIni(reports);
  sioc_lib::writeTextFile(reports, siocIniContent, siocIniPath());
}

void foreseeSetupFiles(sioc_lib::FileReports& reports) {
  DryRunFileSystem files;
  const sioc_lib::UseFileSystem use(files);
  writeSetupFiles(reports);
}

void runSetup() {
  detectModules();
  collectModuleFolders([](const LeftOutModule& module) { printLine(module.lines); });
  buildSiocIni();
  printLine("\n");
  if (moduleListContent.empty()) {
    printLine("No files produced ...\n");
    return;
  }
  // A step that would fail stops the run before it writes anything: only
  // what writing alone can tell (a full disk) stops it later.
  SilentReports quiet;
  foreseeSetupFiles(quiet);
  RunReports reports;
  writeSetupFiles(reports);
  if (const std::optional<std::string> note = virtualStoreNote()) printWrapped(*note);
}

int runTool() {
#ifndef _WIN32
  // A file-size limit then fails a write like a full disk, with its message,
  // instead of killing the run.
  static_cast<void>(std::signal(SIGXFSZ, SIG_IGN));
#endif
  const std::string rule(65, '=');
  printLine(rule);
  printLine(" Detect and setup OC Modules for Vorlan and Kesmira, version " +
            setupVersion);
  printLine(rule);

  // Nothing may end the program without its message and the prompt.
  try {
    const StartupLocation location = locateBaseFolder(startupFolder);
    if (location.found) {
      baseFolder = location.baseFolder;
      runSetup();
    } else {
      printLine(location.message);
    }
  } catch (const std::exception& e) {
    printStop(e.what());
  }
  waitForReturn();
  return 0;
}
