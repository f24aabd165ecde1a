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

// Another run makes the backup after this run found none: it is kept, and
// this run writes the rest as usual and leaves no temporary behind.
TEST(SiocIniTest, BackupMadeMeanwhileByAnotherRunIsKept) {
  const test::TempDir dir;
  baseFolder = dir.path();
  test::writeBytes(dir.path() / "Vorlancockpit/TRVatc/module.lst", "a\r\n");
  test::writeBytes(dir.path() / "sioc.ini", "hand\n");
  test::useDevices("16:5");
  afterBackupCheck = [&] {
    test::writeBytes(dir.path() / "siocini_before_setup_Vorlantrv.ini", "hand\r\n");
    test::writeBytes(dir.path() / "sioc.ini", "other run's\r\n");
  };
  testing::internal::CaptureStdout();
  runSetup();
  afterBackupCheck = nullptr;
  // No line for a backup that this run did not make.
  EXPECT_EQ(testing::internal::GetCapturedStdout().find("siocini"), std::string::npos);
  EXPECT_EQ(test::readBytes(dir.path() / "siocini_before_setup_Vorlantrv.ini"),
            "hand\r\n");
  EXPECT_EQ(test::filesBelow(dir.path()).size(), 4u);
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
