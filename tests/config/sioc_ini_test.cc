#include "config/sioc_ini.h"

#include <gtest/gtest.h>

#include "app/globals.h"
#include "app/run_setup.h"
#include "sioc_lib/path_text.h"
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
  test::useDevices(test::boards("16:5"));
  afterBackupCheck = [&] {
    test::writeBytes(dir.path() / "siocini_before_setup_Vorlantrv.ini", "hand\r\n");
    test::writeBytes(dir.path() / "sioc.ini", "other run's\r\n");
  };
  testing::internal::CaptureStdout();
  runSetup();
  afterBackupCheck = nullptr;
  const std::string base = sioc_lib::windowsForm(dir.path());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "atc module detected\n\n\n" + base +
                                                        "\\Vorlantrv.lst created.\n" +
                                                        base + "\\sioc.ini created.\n");
  const auto files = test::filesBelow(dir.path());
  ASSERT_EQ(files.size(), 4u);
  EXPECT_EQ(files[3], std::make_pair(std::string("siocini_before_setup_Vorlantrv.ini"),
                                     std::string("hand\r\n")));
}

#ifdef _WIN32
// A sioc.ini that another program holds without sharing (a virus scanner, an
// editor) is waited for: held briefly, it is backed up and replaced; held for
// good, the run fails to read it and it stays as it was, with no backup.
TEST(SiocIniTest, SiocIniHeldByAnotherProgram) {
  for (const bool releasedSoon : {true, false}) {
    const test::TempDir dir;
    baseFolder = dir.path();
    const auto ini = dir.path() / "sioc.ini";
    test::writeBytes(dir.path() / "Vorlancockpit/TRVatc/module.lst", "a\r\n");
    test::writeBytes(ini, "hand\n");
    test::useDevices(test::boards("16:5"));
    HANDLE held =
        CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread releaser([&] {
      if (releasedSoon) std::this_thread::sleep_for(std::chrono::milliseconds(300));
      if (releasedSoon) CloseHandle(held);
    });
    std::string failure;
    try {
      runSetup();
    } catch (const std::runtime_error& e) {
      failure = e.what();
    }
    releaser.join();
    if (!releasedSoon) CloseHandle(held);
    EXPECT_EQ(failure,
              releasedSoon ? "" : "Failed to read " + sioc_lib::windowsForm(ini));
    EXPECT_EQ(test::readBytes(dir.path() / "siocini_before_setup_Vorlantrv.ini"),
              releasedSoon ? std::optional<std::string>("hand\n") : std::nullopt);
    EXPECT_EQ(test::readBytes(ini)->substr(0, 5), releasedSoon ? "; Thi" : "hand\n");
  }
}
#endif

}  // namespace
