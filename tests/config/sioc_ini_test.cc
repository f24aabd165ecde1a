#include "config/sioc_ini.h"

#include <gtest/gtest.h>

#include <thread>

#include "app/globals.h"
#include "app/run_setup.h"
#include "sioc_lib/file_system.h"
#include "test_util.h"

namespace {

// The system's file system, with another program that saves sioc.ini just
// before each read of it.
struct SavingFileSystem : sioc_lib::SystemFileSystem {
  std::function<void()> save;
  std::unique_ptr<sioc_lib::ReadableFile> open(
      const std::filesystem::path& file) override {
    if (file.filename() == "sioc.ini") save();
    return SystemFileSystem::open(file);
  }
};

// While this run reads sioc.ini for the backup, another run makes the backup
// (it is kept, and no line says this run made it), or another program saves
// sioc.ini in place with its size and last-write time as they were, which no
// clock can see, or saves it in two writes with a pause between them: the
// backup is two reads in a row of the same bytes, never a save half done,
// or the run stops before sioc.ini is replaced. No temporary stays.
TEST(SiocIniTest, ChangesWhileSiocIniIsRead) {
  const struct {
    const char* name;
    std::vector<std::string> saved;  // what each read finds, saved just before it
    bool otherRunsBackup;            // made just before the first read
    const char* result;              // the backup's bytes, or the start of the failure
    bool savesWithAPause = false;    // from just before the first read
  } cases[] = {{"another run makes the backup", {}, true, "other run's"},
               // Its start new, its end old.
               {"the first read meets a save half done", {"HAnd", "HAND"}, false, "HAND"},
               {"every read meets another save",
                {"HAnd", "HAND", "hand"},
                false,
                "Failed to read "},
               // Its first half written just now, the second a moment later.
               {"a save in two writes with a pause", {}, false, "HAND", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const test::TempDir dir;
    baseFolder = dir.path();
    const auto ini = dir.path() / "sioc.ini";
    const auto backup = dir.path() / "siocini_before_setup_Vorlantrv.ini";
    test::writeBytes(dir.path() / "Vorlancockpit/TRVatc/module.lst", "a\r\n");
    test::writeBytes(ini, "hand");
    const auto savedAt = std::filesystem::last_write_time(ini) - std::chrono::minutes(1);
    std::filesystem::last_write_time(ini, savedAt);
    test::useDevices("atc:5");
    size_t reads = 0;
    std::thread saver;
    SavingFileSystem files;
    const sioc_lib::UseFileSystem use(files);
    files.save = [&] {
      if (c.savesWithAPause && !saver.joinable()) {
        test::writeBytes(ini, "HAnd");
        saver = std::thread([ini] {
          std::this_thread::sleep_for(std::chrono::milliseconds(200));
          test::writeBytes(ini, "HAND");
        });
      }
      if (c.otherRunsBackup) test::writeBytes(backup, "other run's");
      if (reads < c.saved.size()) {
        test::writeBytes(ini, c.saved[reads++]);
        std::filesystem::last_write_time(ini, savedAt);
      }
    };
    testing::internal::CaptureStdout();
    std::string result;
    try {
      runSetup();
      result = test::readBytes(backup).value_or("");
    } catch (const std::runtime_error& e) {
      result = std::string(e.what()).substr(0, 15);
    }
    if (saver.joinable()) saver.join();
    const bool made = !c.otherRunsBackup && result.rfind("Failed", 0) != 0;
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("siocini") != std::string::npos,
              made);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(test::filesBelow(dir.path()).size(), made || c.otherRunsBackup ? 4u : 3u);
  }
}

}  // namespace
