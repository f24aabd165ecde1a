#include "config/sioc_ini.h"

#include <gtest/gtest.h>

#include "app/globals.h"
#include "app/run_setup.h"
#include "test_util.h"

#ifdef _WIN32
#include <windows.h>

#include <thread>
#endif

namespace {

// While this run reads sioc.ini for the backup, another run makes the backup
// (it is kept, and no line says this run made it), or another program saves
// sioc.ini once (it is read again: the backup is one whole version) or on
// every read (the run stops before sioc.ini is replaced). No temporary stays.
TEST(SiocIniTest, ChangesWhileSiocIniIsRead) {
  const struct {
    int saves;             // of sioc.ini, each just before a read
    bool otherRunsBackup;  // made just before the first read
    const char* result;    // the backup's bytes, or the start of the failure
  } cases[] = {
      {1, true, "other run's"}, {1, false, "hand!"}, {3, false, "Failed to read"}};
  for (const auto& c : cases) {
    const test::TempDir dir;
    baseFolder = dir.path();
    const auto backup = dir.path() / "siocini_before_setup_Vorlantrv.ini";
    test::writeBytes(dir.path() / "Vorlancockpit/TRVatc/module.lst", "a\r\n");
    test::writeBytes(dir.path() / "sioc.ini", "hand");
    test::useDevices("16:5");
    int saves = 0;
    beforeSiocIniRead = [&] {
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
      result = std::string(e.what()).substr(0, 14);
    }
    beforeSiocIniRead = nullptr;
    const bool made = !c.otherRunsBackup && c.saves == 1;
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("siocini") != std::string::npos,
              made);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(test::filesBelow(dir.path()).size(), c.saves == 3 ? 3u : 4u);
  }
}

#ifdef _WIN32
// A sioc.ini that another program holds for a moment without sharing (a
// virus scanner, an editor) is waited for, backed up and replaced.
TEST(SiocIniTest, SiocIniHeldForAMoment) {
  const test::TempDir dir;
  baseFolder = dir.path();
  const auto ini = dir.path() / "sioc.ini";
  test::writeBytes(dir.path() / "Vorlancockpit/TRVatc/module.lst", "a\r\n");
  test::writeBytes(ini, "hand\n");
  test::useDevices("16:5");
  HANDLE held =
      CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  std::thread releaser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    CloseHandle(held);
  });
  runSetup();
  releaser.join();
  EXPECT_EQ(test::readBytes(dir.path() / "siocini_before_setup_Vorlantrv.ini"), "hand\n");
  EXPECT_EQ(test::readBytes(ini)->substr(0, 5), "; Thi");
}
#endif

}  // namespace
