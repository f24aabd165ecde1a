#include "config/sioc_ini.h"

#include <gtest/gtest.h>

#include <thread>

#include "app/globals.h"
#include "app/run_setup.h"
#include "test_util.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// What another program does from just before the first read.
enum class Other { kNothing, kHoldsBriefly, kHoldsForWriting, kSavesWithAPause };

// While this run reads sioc.ini for the backup, another run makes the backup
// (it is kept, and no line says this run made it), or another program saves
// sioc.ini in place with its size and last-write time as they were, which no
// clock can see, or saves it in two writes with a pause between them: the
// backup is two reads in a row of the same bytes, never a save half done,
// or the run stops before sioc.ini is replaced. On Windows a program that
// holds it for a moment is waited for, and one that keeps it open for
// writing stops the run. No temporary stays.
TEST(SiocIniTest, ChangesWhileSiocIniIsRead) {
  struct Case {
    std::vector<std::string> saved;  // what each read finds, saved just before it
    bool otherRunsBackup;            // made just before the first read
    const char* result;              // the backup's bytes, or the start of the failure
    Other held = Other::kNothing;    // from just before the first read
  };
  std::vector<Case> cases = {
      {{}, true, "other run's"},
      // The first read meets a save half done: its start new, its end old.
      {{"HAnd", "HAND"}, false, "HAND"},
      {{"HAnd", "HAND", "hand"}, false, "Failed to read "},
      // Its first half written just now, the second a moment later.
      {{}, false, "HAND", Other::kSavesWithAPause}};
#ifdef _WIN32
  cases.push_back({{}, false, "hand", Other::kHoldsBriefly});
  cases.push_back({{}, false, "Failed to read ", Other::kHoldsForWriting});
#endif
  for (const auto& c : cases) {
    SCOPED_TRACE("row " + std::to_string(&c - cases.data()));
    const test::TempDir dir;
    baseFolder = dir.path();
    const auto ini = dir.path() / "sioc.ini";
    const auto backup = dir.path() / "siocini_before_setup_Vorlantrv.ini";
    test::writeBytes(dir.path() / "Vorlancockpit/TRVatc/module.lst", "a\r\n");
    test::writeBytes(ini, "hand");
    const auto savedAt = std::filesystem::last_write_time(ini) - std::chrono::minutes(1);
    std::filesystem::last_write_time(ini, savedAt);
    test::useDevices("16:5");
    size_t reads = 0;
    std::thread releaser;
    beforeSiocIniRead = [&] {
      if (c.held == Other::kSavesWithAPause && !releaser.joinable()) {
        test::writeBytes(ini, "HAnd");
        releaser = std::thread([ini] {
          std::this_thread::sleep_for(std::chrono::milliseconds(200));
          test::writeBytes(ini, "HAND");
        });
      }
#ifdef _WIN32
      if (c.held != Other::kNothing && !releaser.joinable()) {
        const bool briefly = c.held == Other::kHoldsBriefly;
        const HANDLE held =
            CreateFileW(ini.c_str(), briefly ? GENERIC_READ : GENERIC_WRITE,
                        briefly ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, 0, nullptr);
        releaser = std::thread(
            [held, briefly] { Sleep(briefly ? 300 : 3000), CloseHandle(held); });
      }
#endif
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
    if (releaser.joinable()) releaser.join();
    beforeSiocIniRead = nullptr;
    const bool made = !c.otherRunsBackup && result.rfind("Failed", 0) != 0;
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("siocini") != std::string::npos,
              made);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(test::filesBelow(dir.path()).size(), made || c.otherRunsBackup ? 4u : 3u);
  }
}

}  // namespace
