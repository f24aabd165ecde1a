#include "app/location.h"

#include <gtest/gtest.h>

namespace {

const char kNotSetup[] =
    "! You should run this program in the SIOC\\Kesmira\\TRV_setup folder.";
const char kNoVorlan[] = "! Your Vorlancockpit folder could not be found...";

TEST(LocationTest, StartupFolders) {
  const struct {
    const char* startup;
    const char* base;  // nullptr: the message is expected
    const char* message;
  } cases[] = {
      {"D:\\Sim\\Vorlancockpit\\SIOC\\Kesmira\\TRV_setup", "D:\\Sim", ""},
      {"/home/sim/Vorlancockpit/SIOC/Kesmira/TRV_setup", "/home/sim", ""},
      {"D:\\Sim\\Vorlancockpit\\SIOC\\Kesmira\\trv_SETUP", "D:\\Sim", ""},
      {"D:\\Sim\\Vorlancockpit\\TRV_setup", "D:\\Sim", ""},
      {"D:\\Sim\\Vorlancockpit\\SIOC\\Kesmira\\TRV_setup\\old", nullptr, kNotSetup},
      {"D:\\Sim\\Vorlancockpit\\SIOC\\Kesmira\\MyTRV_setup", nullptr, kNotSetup},
      {"TRV_setup", nullptr, kNotSetup},
      {"", nullptr, kNotSetup},
      {"D:\\Sim\\vorlancockpit\\SIOC\\Kesmira\\TRV_setup", nullptr, kNoVorlan},
      // Only a whole folder name counts.
      {"D:\\MyVorlancockpit2\\TRV_setup", nullptr, kNoVorlan},
      {"D:\\Vorlancockpit2\\Vorlancockpit\\TRV_setup", "D:\\Vorlancockpit2", ""},
      {"D:\\A\\Vorlancockpit\\B\\Vorlancockpit\\TRV_setup", "D:\\A", ""},
      // A root keeps its separator.
      {"D:\\Vorlancockpit\\SIOC\\Kesmira\\TRV_setup", "D:\\", ""},
      {"D:/Vorlancockpit/TRV_setup", "D:/", ""},
      {"/Vorlancockpit/SIOC/Kesmira/TRV_setup", "/", ""},
      {"\\\\server\\share\\Vorlancockpit\\TRV_setup", "\\\\server\\share", ""},
      {"/home/J\xC3\xB6rg/Vorlancockpit/TRV_setup", "/home/J\xC3\xB6rg", ""},
  };
  // Longer than any path the platforms give: turned away, never a crash.
  const std::string longPath = "/" + std::string(40000, 'a') + "/Vorlancockpit/TRV_setup";
  EXPECT_EQ(locateBaseFolder(std::filesystem::u8path(longPath)).message, kNotSetup);
  for (const auto& c : cases) {
    const StartupLocation location = locateBaseFolder(std::filesystem::u8path(c.startup));
    EXPECT_EQ(location.found, c.base != nullptr) << c.startup;
    EXPECT_EQ(location.message, c.message) << c.startup;
    if (c.base != nullptr) {
      EXPECT_EQ(location.baseFolder.u8string(), c.base) << c.startup;
    }
  }
}

}  // namespace
