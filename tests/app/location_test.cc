#include "app/location.h"

#include <gtest/gtest.h>

namespace {

TEST(LocationTest, StartupFolders) {
  const std::string notSetup =
      "! You should run this program in the SIOC\\Kesmira\\TRV_setup folder.";
  const std::string noVorlan = "! Your Vorlancockpit folder could not be found...";
  const struct {
    const char* name;
    std::string startup;
    std::string baseOrMessage;
  } cases[] = {
      {"a Windows installation", "D:\\Sim\\Vorlancockpit\\SIOC\\Kesmira\\TRV_setup",
       "D:\\Sim"},
      {"any letter case", "/home/sim/Vorlancockpit/SIOC/Kesmira/trv_SETUP", "/home/sim"},
      {"not the setup folder", "D:\\Sim\\Vorlancockpit\\MyTRV_setup", notSetup},
      {"no length too long to judge",
       "/" + std::string(40000, 'a') + "/Vorlancockpit/TRV_setup",
       "/" + std::string(40000, 'a')},
      {"only a whole folder name counts", "D:\\MyVorlancockpit2\\TRV_setup", noVorlan},
      {"a root keeps its separator", "D:\\Vorlancockpit\\TRV_setup", "D:\\"}};
  for (const auto& c : cases) {
    const StartupLocation found = locateBaseFolder(std::filesystem::u8path(c.startup));
    EXPECT_EQ(found.found ? found.baseFolder.u8string() : found.message, c.baseOrMessage)
        << c.name;
    EXPECT_EQ(found.found, found.message.empty()) << c.name;
  }
#ifdef _WIN32
  // An unpaired surrogate, which NTFS allows in a name, is shown as U+FFFD.
  EXPECT_EQ(locateBaseFolder(L"D:\\\xD800\\Vorlancockpit\\TRV_setup").baseFolder,
            std::filesystem::u8path("D:\\\xEF\xBF\xBD"));
#endif
}

}  // namespace
