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

// While this run reads sioc.ini for the backup, another run makes the backup
// (it is kept, and no line says this run made it), or another program saves
// sioc.ini once (it is read again: the backup is one whole version) or on
// every read (the run stops before sioc.ini is replaced). On Windows a program
// (a virus scanner, an editor) may hold it for a moment without sharing: it is
// waited for. No temporary stays.
TEST(SiocIniTest, ChangesWhileSiocIniIsRead) {
  struct Case {
    int saves;             // of sioc.ini, each just before a read
    bool otherRunsBackup;  // made just before the first read
    const char* result;    // the backup's bytes, or the start of the failure
    bool held = false;     // for 300 ms from just before the first read
  };
  std::vector<Case> cases = {
      {1, true, "other run's"}, {1, false, "hand!"}, {3, false, "Failed to read "}};
#ifdef _WIN32
  cases.push_back({0, false, "hand", true});
#endif
  for (const auto& c : cases) {
    const test::TempDir dir;
    baseFolder = dir.path();
    const auto backup = dir.path() / "siocini_before_setup_Vorlantrv.ini";
    test::writeBytes(dir.path() / "Vorlancockpit/TRVatc/module.lst", "a\r\n");
    test::writeBytes(dir.path() / "sioc.ini", "hand");
    test::useDevices("16:5");
    int saves = 0;
    std::thread releaser;
    beforeSiocIniRead = [&] {
#ifdef _WIN32
      if (c.held && !releaser.joinable()) {
        const HANDLE held = CreateFileW((dir.path() / "sioc.ini").c_str(), GENERIC_READ,
                                        0, nullptr, OPEN_EXISTING, 0, nullptr);
        releaser = std::thread([held] { Sleep(300), CloseHandle(held); });
      }
#endif
      if (c.otherRunsBackup) test::writeBytes(backup, "other run's");
      if (saves < c.saves)
        test::writeBytes(dir.path() / "sioc.ini", "hand" + std::string(++saves, '!'));
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
    const bool made = !c.otherRunsBackup && c.saves < 3;
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("siocini") != std::string::npos,
              made);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(test::filesBelow(dir.path()).size(), c.saves == 3 ? 3u : 4u);
  }
}

}  // namespace
