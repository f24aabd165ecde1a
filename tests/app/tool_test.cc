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
      {"Sim/vorlancockpit/TRV_setup",
       "! Your Vorlancockpit folder could not be found..."},
      {"MyVorlancockpit2/TRV_setup", "! Your Vorlancockpit folder could not be found..."},
  };
  for (const auto& c : cases) {
    std::filesystem::create_directories(dir_ / c.folder);
    for (const char* exe : {TRV_SETUP_EXE, TRV_SETUP_SCRIPTED_EXE}) {
      const test::RunResult result =
          test::runProgram(exe, dir_ / c.folder, std::nullopt, "-x y");
      EXPECT_EQ(result.output, test::console(kBanner + c.message + "\n" + kPrompt))
          << c.folder;
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
  EXPECT_EQ(result.output,
            test::console(kBanner + "! None of the Opencockpits modules detected.\n" +
                          kPrompt));
  EXPECT_EQ(result.exitCode, 0);
}

TEST_F(ToolTest, DetectionLinesAndFailures) {
  // The six boards of the worked example, found here without module folders.
  std::string workedExample;
  const char* slots[] = {"efis1", "efis2", "mcpv3", "comm1", "cdu2", "cduv31"};
  for (const char* slot : slots)
    workedExample += std::string(slot) + " module detected\n";
  for (const char* slot : slots) {
    workedExample +=
        "\n? Module folder: " + shown(std::string("Vorlancockpit/TRV") + slot) +
        "\nnot found for " + slot + "\n" + slot + " not configured.\n\n";
  }
  workedExample += "\n\nNo files produced ...\n\n";

  const struct {
    const char* name;
    std::optional<std::vector<HidDeviceRecord>> devices;
    std::string printed;
  } cases[] = {
      {"worked example",
       std::vector<HidDeviceRecord>{board(11, 3), board(20, 4), board(2, 6), board(11, 1),
                                    board(19, 2), board(13, 5)},
       workedExample},
      {"no device list", std::nullopt, "! SetupDiGetClassDevs failed\n"},
      {"no board", std::vector<HidDeviceRecord>{},
       "! None of the Opencockpits modules detected.\n"},
      {"two mcp", std::vector<HidDeviceRecord>{board(9, 1), board(20, 2)},
       "! As well MCP737 as MCP737V3 were detected; this is not supported.\n"},
      {"cdu",
       std::vector<HidDeviceRecord>{board(2, 1), board(19, 2), board(19, 3),
                                    board(19, 4)},
       "! As well 1 FMC747 as 3 FMC747V3 were detected...; this is not supported.\n"},
  };
  for (const auto& c : cases) {
    const auto result = test::runProgram(
        TRV_SETUP_SCRIPTED_EXE, setup_,
        c.devices ? std::optional<std::string>(devicesText(*c.devices)) : std::nullopt);
    EXPECT_EQ(result.output, test::console(kBanner + c.printed + kPrompt)) << c.name;
    EXPECT_EQ(test::listFiles(dir_.path()), std::vector<std::string>{}) << c.name;
  }
}

const std::string kCompleteIni =
    "; This sioc.ini was generated by setup Vorlan TRV version 1.0\r\n\r\n"
    "[SIOC]\r\nIOCP_port=8092\r\nIOCP_timeout=4000\r\nMinimized=No\r\ntoggle_delay=20\r\n"
    "CONFIG_FILE=Vorlantrv.lst\r\n\r\n"
    "[IOCARDS MODULE]\r\nIOCard_disable=No\r\nIOCard_LPT=No\r\n\r\n"
    "[MASTERS]\r\n[mcp]\r\nMASTER=2,5,1,3\r\n[mcpv3]\r\n[MASTER=2,15,1,??]\r\n"
    "[efis1]\r\nMASTER=3,7,1,1\r\n[efis2]\r\n[MASTER=4,7,1,??]\r\n"
    "[cduv31]\r\n[MASTER=5,13,1,??]\r\n[cduv32]\r\n[MASTER=6,13,1,??]\r\n"
    "[cduv33]\r\n[MASTER=7,13,1,??]\r\n[comm1]\r\n[MASTER=8,8,1,??]\r\n"
    "[comm2]\r\n[MASTER=9,8,1,??]\r\n[comm3]\r\n[MASTER=10,8,1,??]\r\n"
    "[atc]\r\n[MASTER=11,11,1,??]\r\n[chrono1]\r\n[MASTER=12,16,1,??]\r\n"
    "[chrono2]\r\n[MASTER=13,16,1,??]\r\n\r\n"
    "[USBKEYS]\r\n[cdu1]\r\nUSBKEYS=1,4\r\n[cdu2]\r\n[USBKEYS=2,??]\r\n[cdu3]\r\n["
    "USBKEYS=3,??]\r\n"
    "\r\n[FSUIPC MODULE]\r\nFSUipcdisable=Yes\r\n\r\n"
    "[IOCP CLIENTS MODULES]\r\nIOCPini_delay=3000\r\nIOCPclient0_disable=Yes\r\n"
    "IOCPclient0_host=localhost\r\nIOCPclient0_port=8090\r\nIOCPclient1_disable=Yes\r\n"
    "IOCPclient1_host=localhost\r\nIOCPclient1_port=8099\r\n\r\n"
    "[SOUND MODULE]\r\nSound_disable=Yes\r\n";

TEST_F(ToolTest, ConsoleExampleWithItsFiles) {
  writeModuleList("efis1", "panels/efis.ssi\nEFIS.txt\r\n");
  test::writeBytes(base_ / "sioc.ini", "[SIOC]\nold=1\n");
  const auto result = run({board(11, 1), board(13, 2)});
  EXPECT_EQ(result.output,
            test::console(kBanner + "efis1 module detected\ncomm1 module detected\n\n" +
                          "? Module folder: " + shown("Vorlancockpit/TRVcomm1") +
                          "\nnot found for comm1\n" + "comm1 not configured.\n\n\n\n" +
                          shown("Vorlantrv.lst") + " created.\n" +
                          shown("siocini_before_setup_Vorlantrv.ini") + " created.\n" +
                          shown("sioc.ini") + " created.\n" + kPrompt));
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(file("Vorlantrv.lst"), "EFIS.txt\r\npanels\\efis.ssi\r\n");
  EXPECT_EQ(file("siocini_before_setup_Vorlantrv.ini"), "[SIOC]\r\nold=1\r\n");
  const std::string ini = file("sioc.ini").value_or("");
  EXPECT_NE(ini.find("\r\n[efis1]\r\nMASTER=3,7,1,1\r\n"), std::string::npos);
  EXPECT_NE(ini.find("\r\n[comm1]\r\n[MASTER=8,8,1,??]\r\n"), std::string::npos);
}

TEST_F(ToolTest, CompleteSiocIniAndRunningTwice) {
  for (const char* slot : {"efis1", "mcp", "cdu1"}) writeModuleList(slot, "x\r\n");
  const auto devices =
      std::vector<HidDeviceRecord>{board(11, 1), board(9, 3), board(2, 4)};
  run(devices);
  EXPECT_EQ(file("sioc.ini"), kCompleteIni);
  EXPECT_EQ(file("Vorlantrv.lst"), "x\r\n");
  EXPECT_EQ(file("siocini_before_setup_Vorlantrv.ini"), std::nullopt);

  // The second run keeps the first run's file as the backup, for good.
  run({board(11, 1), board(9, 7), board(2, 4)});
  EXPECT_EQ(file("siocini_before_setup_Vorlantrv.ini"), kCompleteIni);
  const std::string second = file("sioc.ini").value_or("");
  EXPECT_NE(second.find("MASTER=2,5,1,7\r\n"), std::string::npos);
  const auto result = run(devices);
  EXPECT_EQ(file("siocini_before_setup_Vorlantrv.ini"), kCompleteIni);
  EXPECT_EQ(file("sioc.ini"), kCompleteIni);
  EXPECT_EQ(result.output.find("siocini_before"), std::string::npos);
}

TEST_F(ToolTest, EarlierFilesAtTheOutputNames) {
  const struct {
    const char* name;
    bool emptyIni, backupFolder;
    const char* backupReport;
  } cases[] = {
      {"empty sioc.ini gives an empty backup", true, false,
       "siocini_before_setup_Vorlantrv.ini"},
      {"a folder counts as the backup", true, true, nullptr},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(base_ / "siocini_before_setup_Vorlantrv.ini");
    writeModuleList("atc", "a\r\n");
    test::writeBytes(base_ / "sioc.ini", "");
    if (c.backupFolder)
      std::filesystem::create_directory(base_ / "siocini_before_setup_Vorlantrv.ini");
    const auto result = run({board(16, 5)});
    std::string reports = shown("Vorlantrv.lst") + " created.\n";
    if (c.backupReport != nullptr) reports += shown(c.backupReport) + " created.\n";
    reports += shown("sioc.ini") + " created.\n";
    EXPECT_EQ(result.output,
              test::console(kBanner + "atc module detected\n\n\n" + reports + kPrompt))
        << c.name;
    EXPECT_EQ(file("siocini_before_setup_Vorlantrv.ini"),
              c.backupFolder ? std::nullopt : std::optional<std::string>(""))
        << c.name;
  }
}

TEST_F(ToolTest, NothingChangesWhenEveryModuleIsCleared) {
  writeModuleList("atc", "");
  test::writeBytes(base_ / "sioc.ini", "kept\r\n");
  const auto result = run({board(16, 5)});
  EXPECT_EQ(
      result.output,
      test::console(kBanner + "atc module detected\n\n? file module.lst in " +
                    shown("Vorlancockpit/TRVatc") +
                    " is empty.\natc not configured.\n\n\n\nNo files produced ...\n\n" +
                    kPrompt));
  EXPECT_EQ(test::listFiles(base_),
            (std::vector<std::string>{"Vorlancockpit/TRVatc/module.lst", "sioc.ini"}));
  EXPECT_EQ(file("sioc.ini"), "kept\r\n");
}

TEST_F(ToolTest, FailureWritingSiocIniKeepsTheModuleList) {
  writeModuleList("atc", "a\r\n");
  std::filesystem::create_directories(base_ / "sioc.ini/inner");
  const auto result = run({board(16, 5)});
  EXPECT_EQ(result.output,
            test::console(kBanner + "atc module detected\n\n\n" + shown("Vorlantrv.lst") +
                          " created.\n! Failed to create " + shown("sioc.ini") + "\n" +
                          kPrompt));
  EXPECT_EQ(file("Vorlantrv.lst"), "a\r\n");
  EXPECT_EQ(
      test::listFiles(base_),
      (std::vector<std::string>{"Vorlancockpit/TRVatc/module.lst", "Vorlantrv.lst"}));
  EXPECT_TRUE(std::filesystem::is_directory(base_ / "sioc.ini/inner"));
}

TEST_F(ToolTest, InstallationBelowANonAsciiFolder) {
  const std::filesystem::path base = dir_ / "\xCE\xA9\xC3\xA9";  // Ωé
  const std::filesystem::path setup = base / "Vorlancockpit/SIOC/Kesmira/TRV_setup";
  std::filesystem::create_directories(setup);
  test::writeBytes(base / "Vorlancockpit/TRVatc/module.lst", "\xC3\xA9t\xC3\xA9.ssi\r\n");
  const auto result =
      test::runProgram(TRV_SETUP_SCRIPTED_EXE, setup, devicesText({board(16, 5)}));
  const std::string base8 = sioc_lib::windowsForm(base);
  EXPECT_NE(base8.find("\\\xCE\xA9\xC3\xA9"), std::string::npos);
  EXPECT_EQ(result.output, test::console(kBanner + "atc module detected\n\n\n" + base8 +
                                         "\\Vorlantrv.lst created.\n" + base8 +
                                         "\\sioc.ini created.\n" + kPrompt));
  EXPECT_EQ(test::readBytes(base / "Vorlantrv.lst"), "\xC3\xA9t\xC3\xA9.ssi\r\n");
  EXPECT_TRUE(test::readBytes(base / "sioc.ini"));
}

}  // namespace
