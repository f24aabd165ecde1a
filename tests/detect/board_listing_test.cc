// Whole runs of trv_boards_scripted: the listing, and the slots it names
// against those that trv_setup_scripted reports on the same devices.
#include <gtest/gtest.h>

#include <regex>

#include "test_util.h"

namespace {

namespace fs = std::filesystem;

// One interface a word pair: its device number (- for a driver key without
// one, ! for no key), and vendor:product in hex (! for no interface path).
std::string devices(const std::vector<std::string>& interfaces) {
  std::string text;
  for (const std::string& i : interfaces) {
    std::istringstream in(i);
    std::string number, ids;
    in >> number >> ids;
    if (number != "!") text += "{745a17a0}" + (number == "-" ? "" : "\\" + number);
    text += "\t";
    if (ids != "!")
      text +=
          "\\\\?\\hid#vid_" + ids.substr(0, 4) + "&pid_" + ids.substr(5) + "#7&1a#{4d1e}";
    text += "\n";
  }
  return text;
}

// The slots a transcript names: the listing's verdicts, or the setup's
// "<slot> module detected" lines.
std::string slotsIn(const std::string& transcript, const std::regex& line) {
  std::string slots;
  for (std::sregex_iterator it(transcript.begin(), transcript.end(), line), end;
       it != end; ++it)
    slots += (*it)[1].str() + " ";
  return slots;
}

TEST(BoardListingTest, ListsEveryInterfaceWithTheSetupsVerdict) {
  const struct {
    std::vector<std::string> interfaces;  // empty: no device list at all
    std::string printed;                  // after the table's heading
  } cases[] = {
      {{"0001 046d:c52b", "0003 0000:000b", "0004 0000:000B", "0005 0000:000b",
        "0003 0000:0009", "0006 0000:0009", "0007 0000:000d", "0007 0000:0008",
        "0008 0000:0017", "- 0000:0015", "! 0000:0015", "0009 !"},
       "   0  046d    c52b     0001    another maker's device\n"
       "   1  0000    000b     0003    efis1\n"
       "   2  0000    000b     0004    efis2\n"
       "   3  0000    000b     0005    beyond the 2 EFIS slots\n"
       "   4  0000    0009     0003    mcp\n"
       "   5  0000    0009     0006    beyond the 1 MCP737 slot\n"
       "   6  0000    000d     0007    comm1\n"
       "   7  0000    0008     0007    device number taken by an earlier COMM\n"
       "   8  0000    0017     0008    Opencockpits, but no board the setup uses\n"
       "   9  0000    0015     none    no device number in its driver key\n"
       "  10  0000    0015     none    its driver key cannot be read\n"
       "  11  ?       ?        0009    its interface path cannot be read\n"
       "\n"
       "A setup run would fill these slots:\n"
       "  efis1 with device number 3\n"
       "  efis2 with device number 4\n"
       "  mcp with device number 3\n"
       "  comm1 with device number 7\n"},
      {{"0001 0000:0002", "0002 0000:0013", "0003 0000:0002", "0004 0000:0013"},
       "   0  0000    0002     0001    refused in this combination (below)\n"
       "   1  0000    0013     0002    refused in this combination (below)\n"
       "   2  0000    0002     0003    refused in this combination (below)\n"
       "   3  0000    0013     0004    refused in this combination (below)\n"
       "\n"
       "A setup run would write nothing:\n"
       "As well 2 FMC747 as 2 FMC747V3 were detected...; this is not supported.\n"},
      {{"0001 0000:0009", "0002 0000:0014", "0003 0000:000b"},
       "   0  0000    0009     0001    refused in this combination (below)\n"
       "   1  0000    0014     0002    refused in this combination (below)\n"
       "   2  0000    000b     0003    none: the setup stops (below)\n"
       "\n"
       "A setup run would write nothing:\n"
       "As well MCP737 as MCP737V3 were detected; this is not supported.\n"},
      {{"0001 046d:c52b"},
       "   0  046d    c52b     0001    another maker's device\n"
       "\n"
       "A setup run would write nothing:\n"
       "None of the Opencockpits modules detected.\n"},
  };
  const std::string banner =
      "=================================================================\n"
      " HID devices and what the setup makes of them, version 1.0\n\n"
      "=================================================================\n";
  const std::string heading =
      "   #  vendor  product  device  what the setup makes of it\n";
  const std::string prompt = "\nPress <Return> or <Enter> to close this window ...";
  const test::TempDir dir;
  const fs::path setup = dir.path() / "Vorlancockpit/SIOC/Kesmira/TRV_setup";
  fs::create_directories(setup);
  test::setEnv("TRV_SETUP_DEVICES", (dir.path() / "devices.txt").u8string());
  for (const auto& c : cases) {
    test::writeBytes(dir.path() / "devices.txt", devices(c.interfaces));
    const std::string listing = test::runProgram(TRV_BOARDS_SCRIPTED_EXE, dir.path());
    EXPECT_EQ(listing, banner + heading + c.printed + prompt);
    const std::string detected = test::runProgram(TRV_SETUP_SCRIPTED_EXE, setup);
    EXPECT_EQ(slotsIn(listing, std::regex(R"((?:\d{4}|none) {4}([a-z]+\d*)\n)")),
              slotsIn(detected, std::regex(R"(\n([a-z]+\d*) module detected)")));
  }
  fs::remove(dir.path() / "devices.txt");
  EXPECT_EQ(test::runProgram(TRV_BOARDS_SCRIPTED_EXE, dir.path()),
            banner + "! SetupDiGetClassDevs failed\n" + prompt);
}

}  // namespace
