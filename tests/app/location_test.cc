#include "app/location.h"

#include <gtest/gtest.h>

namespace {

TEST(LocationTest, StartupFolders) {
  const std::string notSetup =
      "! You should run this program in the SIOC\\Kesmira\\TRV_setup folder.";
  const std::string noVorlan = "! Your Vorlancockpit folder could not be found...";
  const struct {
    std::string startup;
    std::string baseOrMessage;
  } cases[] = {
      {"D:\\Sim\\Vorlancockpit\\SIOC\\Kesmira\\TRV_setup", "D:\\Sim"},
      {"/home/sim/Vorlancockpit/SIOC/Kesmira/trv_SETUP", "/home/sim"},
      {"D:\\Sim\\Vorlancockpit\\MyTRV_setup", notSetup},
      // No length is too long to judge.
      {"/" + std::string(40000, 'a') + "/Vorlancockpit/TRV_setup",
       "/" + std::string(40000, 'a')},
      {"D:\\MyVorlancockpit2\\TRV_setup", noVorlan},  // only a whole folder name counts
      {"D:\\Vorlancockpit\\TRV_setup", "D:\\"}};      // a root keeps its separator

  for (const auto& c : cases) {
    SCOPED_TRACE("row " + std::to_string(&c - cases));
    const StartupLocation found = locateBaseFolder(std::filesystem::u8path(c.startup));
    EXPECT_EQ(found.found ? found.baseFolder.u8string() : found.message, c.baseOrMessage)
        << c.startup;
    EXPECT_EQ(found.found, found.message.empty()) << c.startup;
  }
#ifdef _WIN32
  // An unpaired surrogate, which NTFS allows in a name, is shown as U+FFFD.
  EXPECT_EQ(locateBaseFolder(L"D:\\\xD800\\Vorlancockpit\\TRV_setup").baseFolder,
            std::filesystem::u8path("D:\\\xEF\xBF\xBD"));
#endif
}

}  // namespace
