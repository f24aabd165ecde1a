// Whole runs of trv_boards_scripted: the listing, and the slots it names
// against those that trv_setup_scripted reports on the same devices.
#include <gtest/gtest.h>

#include <regex>

#include "test_util.h"

namespace {

namespace fs = std::filesystem;

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
    std::string boards;   // test::boards words
    std::string more;     // TRV_SETUP_DEVICES lines after them
    std::string printed;  // after the table's heading
  } cases[] = {
      {"v46d:2:1 11:3 11:4 11:5 9:3 9:6 13:7 8:7 23:8 2:10 19:11",
       "{x}\t\\\\?\\hid#vid_0000&pid_0015#1\n"  // a key without a number
       "\t\\\\?\\hid#VID_0000&PID_0015#1\n"     // no key
       "{x}\\0009\t\n"                          // no interface path
       // The vendor and product as the setup reads them.
       "{x}\\0012\t\\\\?\\hid#vid_04d8&pid_0015&#vid_0000#1\n"
       "{x}\\0013\t\\\\?\\hid#vid_0000&pid_0010#pid_zzzz#1\n",
       "   0  046d    0002     0001    another maker's device\n"
       "   1  0000    000b     0003    efis1\n"
       "   2  0000    000b     0004    efis2\n"
       "   3  0000    000b     0005    beyond the 2 EFIS slots\n"
       "   4  0000    0009     0003    mcp\n"
       "   5  0000    0009     0006    beyond the 1 MCP737 slot\n"
       "   6  0000    000d     0007    comm1\n"
       "   7  0000    0008     0007    device number taken by an earlier COMM\n"
       "   8  0000    0017     0008    Opencockpits, but no board the setup uses\n"
       "   9  0000    0002     0010    cdu2\n"
       "  10  0000    0013     0011    cduv31\n"
       "  11  0000    0015     none    no device number in its driver key\n"
       "  12  0000    0015     none    its driver key cannot be read\n"
       "  13  ?       ?        0009    its interface path cannot be read\n"
       "  14  0000    0015     0012    chrono1\n"
       "  15  0000    ?        0013    Opencockpits, but its product id cannot be read\n"
       "\n"
       "A setup run would fill these slots:\n"
       "  efis1 with device number 3\n"
       "  efis2 with device number 4\n"
       "  mcp with device number 3\n"
       "  comm1 with device number 7\n"
       "  cdu2 with device number 10\n"
       "  cduv31 with device number 11\n"
       "  chrono1 with device number 12\n"},
      {"9:1 20:2 11:3", "",
       "   0  0000    0009     0001    refused in this combination (below)\n"
       "   1  0000    0014     0002    refused in this combination (below)\n"
       "   2  0000    000b     0003    none: the setup stops (below)\n"
       "\n"
       "A setup run would write nothing:\n"
       "As well MCP737 as MCP737V3 were detected; this is not supported.\n"},
      {"v46d:2:1", "",
       "   0  046d    0002     0001    another maker's device\n"
       "\n"
       "A setup run would write nothing:\n"
       "None of the Opencockpits modules detected.\n"},
  };
  const std::string banner =
      "=================================================================\n"
      " HID devices and what the setup makes of them, version 1.0\n\n"
      "=================================================================\n";
  const std::string heading =
      banner + "   #  vendor  product  device  what the setup makes of it\n";
  const std::string prompt =
      "\nStarted in the installation's TRV_setup folder, it also shows what a setup run "
      "would change there.\n\nPress <Return> or <Enter> to close this window ...";
  const test::TempDir dir;
  const fs::path setup = dir.path() / "Vorlancockpit/SIOC/Kesmira/TRV_setup";
  fs::create_directories(setup);
  test::setEnv("TRV_SETUP_DEVICES", (dir.path() / "devices.txt").u8string());
  for (const auto& c : cases) {
    test::writeBytes(dir.path() / "devices.txt", test::boards(c.boards) + c.more);
    const std::string listing = test::runProgram(TRV_BOARDS_SCRIPTED_EXE, dir.path());
    EXPECT_EQ(listing, heading + c.printed + prompt);
    const std::string detected = test::runProgram(TRV_SETUP_SCRIPTED_EXE, setup);
    EXPECT_EQ(slotsIn(listing, std::regex(R"((?:\d{4}|none) {4}([a-z]+\d*)\n)")),
              slotsIn(detected, std::regex(R"(\n([a-z]+\d*) module detected)")));
  }
  // Interfaces past the setup's limit are named, not dropped: here an ATC.
  std::string many;
  for (int i = 0; i < 1001; ++i) many += test::boards("v46d:1:1");
  test::writeBytes(dir.path() / "devices.txt", many + test::boards("16:5"));
  EXPECT_NE(test::runProgram(TRV_BOARDS_SCRIPTED_EXE, dir.path())
                .find(" another maker's device\nand 2 interfaces more, which the setup "
                      "never looks at: it looks at the first 1000 only\n\nA setup run "
                      "would write nothing:\nNone of"),
            std::string::npos);
  fs::remove(dir.path() / "devices.txt");
  EXPECT_EQ(test::runProgram(TRV_BOARDS_SCRIPTED_EXE, dir.path()),
            banner + "! SetupDiGetClassDevs failed\n" +
                prompt.substr(prompt.rfind("\n\n") + 1));
}

}  // namespace
