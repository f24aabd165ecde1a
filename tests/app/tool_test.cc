// End-to-end runs of the built executables in temporary installations.
#include <gtest/gtest.h>

#include "sioc_lib/path_text.h"
#include "test_util.h"

namespace {

using test::board;

const std::string kBanner =
    "=================================================================\n"
    " Detect and setup OC Modules for Vorlan and Kesmira, version 1.0\n\n"
    "=================================================================\n";
const std::string kPrompt = "\nPress <Return> or <Enter> to close this window ...";

std::string devicesText(const std::vector<HidDeviceRecord>& devices) {
  std::string text;
  for (const auto& device : devices) {
    std::string key = device.driverKey.value_or("");
    if (!key.empty() && key.back() == '\0') key.pop_back();
    text += key + "\t" + device.interfacePath.value_or("") + "\r\n";
  }
  return text;
}

// <tmp>/Sim/Vorlancockpit/SIOC/Kesmira/TRV_setup, with base folder <tmp>/Sim.
class ToolTest : public testing::Test {
 protected:
  ToolTest() { std::filesystem::create_directories(setup_); }

  test::RunResult run(const std::vector<HidDeviceRecord>& devices) {
    return test::runProgram(TRV_SETUP_SCRIPTED_EXE, setup_, devicesText(devices));
  }
  void writeModuleList(const std::string& slot, const std::string& bytes) {
    test::writeBytes(base_ / "Vorlancockpit" / ("TRV" + slot) / "module.lst", bytes);
  }
  std::string shown(const std::string& name) {
    return sioc_lib::windowsForm(base_ / std::filesystem::u8path(name));
  }
  std::optional<std::string> file(const std::string& name) {
    return test::readBytes(base_ / name);
  }

  test::TempDir dir_;
  const std::filesystem::path base_ = dir_ / "Sim";
  const std::filesystem::path setup_ = base_ / "Vorlancockpit/SIOC/Kesmira/TRV_setup";
};

TEST_F(ToolTest, LocationMessages) {
  const struct {
    const char* folder;
    const char* message;
  } cases[] = {
      {"Sim/Vorlancockpit/SIOC/Kesmira/TRV_setup/old",
       "! You should run this program in the SIOC\\Kesmira\\TRV_setup folder."},
      {"Sim/vorlancockpit/TRV_setup", "! Your Vorlancockpit folder could not be found..."},
      {"MyVorlancockpit2/TRV_setup", "! Your Vorlancockpit folder could not be found..."},
  };
  for (const auto& c : cases) {
    std::filesystem::create_directories(dir_ / c.folder);
    for (const char* exe : {TRV_SETUP_EXE, TRV_SETUP_SCRIPTED_EXE}) {
      const test::RunResult result = test::runProgram(exe, dir_ / c.folder, std::nullopt, "-x y");
      EXPECT_EQ(result.output, kBanner + c.message + "\n" + kPrompt) << c.folder;
      EXPECT_EQ(result.exitCode, 0);
    }
  }
}

TEST_F(ToolTest, NativeBuildFindsNoBoardHere) {
  std::error_code ec;
  if (!std::filesystem::is_empty("/sys/class/hidraw", ec) && !ec) {
    GTEST_SKIP() << "this machine has HID devices";
  }
  const test::RunResult result = test::runProgram(TRV_SETUP_EXE, setup_);
  EXPECT_EQ(result.output, kBanner + "! None of the Opencockpits modules detected.\n" + kPrompt);
  EXPECT_EQ(result.exitCode, 0);
}

TEST_F(ToolTest, DetectionLinesAndFailures) {
  const struct {
    const char* name;
    std::optional<std::vector<HidDeviceRecord>> devices;
    std::string printed;
  } cases[] = {
      {"worked example",
       std::vector<HidDeviceRecord>{board(11, 3), board(20, 4), board(2, 6), board(11, 1),
                                    board(19, 2), board(13, 5)},
       "efis1 module detected\nefis2 module detected\nmcpv3 module detected\n"
       "comm1 module detected\ncdu2 module detected\ncduv31 module detected\n"},
      {"no device list", std::nullopt, "! SetupDiGetClassDevs failed\n"},
      {"no board", std::vector<HidDeviceRecord>{}, "! None of the Opencockpits modules detected.\n"},
      {"two mcp", std::vector<HidDeviceRecord>{board(9, 1), board(20, 2)},
       "! As well MCP737 as MCP737V3 were detected; this is not supported.\n"},
      {"cdu", std::vector<HidDeviceRecord>{board(2, 1), board(19, 2), board(19, 3), board(19, 4)},
       "! As well 1 FMC747 as 3 FMC747V3 were detected...; this is not supported.\n"},
  };
  for (const auto& c : cases) {
    const auto result =
        test::runProgram(TRV_SETUP_SCRIPTED_EXE, setup_,
                         c.devices ? std::optional<std::string>(devicesText(*c.devices))
                                   : std::nullopt);
    // A successful detection finds no module folders here.
    std::string expected = kBanner + c.printed;
    if (c.printed.front() != '!') {
      expected = kBanner;
      for (const char* slot : {"efis1", "efis2", "mcpv3", "comm1", "cdu2", "cduv31"}) {
        expected += std::string(slot) + " module detected\n";
      }
      for (const char* slot : {"efis1", "efis2", "mcpv3", "comm1", "cdu2", "cduv31"}) {
        expected += "\n? Module folder: " + shown(std::string("Vorlancockpit/TRV") + slot) +
                    "\nnot found for " + slot + "\n" + slot + " not configured.\n\n";
      }
      expected += "\n\nNo files produced ...\n\n";
    }
    EXPECT_EQ(result.output, expected + kPrompt) << c.name;
    EXPECT_EQ(test::listFiles(dir_.path()), std::vector<std::string>{}) << c.name;
  }
}

}  // namespace
