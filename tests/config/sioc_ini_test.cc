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
// (it is kept), or another program saves sioc.ini once (it is read again: the
// backup is one whole version) or on every read (the run stops before
// sioc.ini is replaced). No temporary is left behind.
TEST(SiocIniTest, ChangesWhileSiocIniIsRead) {
  const struct {
    int saves;             // of sioc.ini, each before one of the first reads
    bool otherRunsBackup;  // made before the first read
    const char* backup;    // afterwards; nullptr for none
    const char* failure;   // the run's exception, or ""
  } cases[] = {
      {1, true, "other run's", ""},
      {1, false, "hand, saved again", ""},
      {3, false, nullptr, "Failed to read "},
  };
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
        test::writeBytes(dir.path() / "sioc.ini",
                         "hand, saved again" + std::string(saves++, '!'));
    };
    testing::internal::CaptureStdout();
    std::string failure;
    try {
      runSetup();
    } catch (const std::runtime_error& e) {
      failure = std::string(e.what()).substr(0, 15);
    }
    beforeSiocIniRead = nullptr;
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(failure, c.failure);
    EXPECT_EQ(test::readBytes(backup), c.backup ? std::optional(c.backup) : std::nullopt);
    // A line only for a backup this run made.
    EXPECT_EQ(printed.find("siocini") != std::string::npos,
              c.backup && !c.otherRunsBackup);
    // module.lst, Vorlantrv.lst, sioc.ini and the backup.
    EXPECT_EQ(test::filesBelow(dir.path()).size(), c.failure[0] ? 3u : 4u);
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
