#include "config/sioc_ini.h"

#include <gtest/gtest.h>

#include "app/globals.h"
#include "app/run_setup.h"
#include "sioc_lib/path_text.h"
#include "test_util.h"

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
  const test::CoutCapture out;
  runSetup();
  afterBackupCheck = nullptr;
  const std::string base = sioc_lib::windowsForm(dir.path());
  EXPECT_EQ(out.text(), "atc module detected\n\n\n" + base +
                            "\\Vorlantrv.lst created.\n" + base +
                            "\\sioc.ini created.\n");
  const auto files = test::filesBelow(dir.path());
  ASSERT_EQ(files.size(), 4u);
  EXPECT_EQ(files[3], std::make_pair(std::string("siocini_before_setup_Vorlantrv.ini"),
                                     std::string("hand\r\n")));
}

}  // namespace
