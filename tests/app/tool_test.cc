// Whole runs of the built programs in temporary installations below a
// non-ASCII folder: each row lays out files, plugs in boards, runs the
// preview and then the tool, and checks every promise below on the whole
// transcript and every file of the installation.
//
// How a row is written, for every row:
// - boards: test::boards words ("atc:5" is an ATC with device number 5).
// - layout and writes: items "name=bytes" joined by "|". A name is list,
//   backup or ini for Vorlantrv.lst, siocini_before_setup_Vorlantrv.ini and
//   sioc.ini, a slot name (atc) for that module's module.lst, else a path
//   below the base folder; a name ending in "/" is a folder. In a layout,
//   bytes may begin with "<mode NNN>" (octal; 0 is read-only on Windows) or
//   "<N minutes old>" (else ten). In writes, bytes are as on disk (the tool
//   ends its lines with CR LF; the backup is a copy), "*" is any bytes and
//   "<gone>" a file the run removes; every file not named stays as laid
//   out, and a file nobody expected fails the row.
// - prints: the transcript between banner and prompt; previewShows: lines
//   the preview shows, in one piece. In both "@" is the base folder in
//   Windows form.
// - startsIn: the folder below the base where both programs start (else
//   the installation's TRV_setup folder).
#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <optional>
#include <regex>
#include <thread>

#include "app/globals.h"
#include "app/run_setup.h"
#include "sioc_lib/file_system.h"
#include "sioc_lib/path_text.h"
#include "test_util.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>
#endif

namespace {

namespace fs = std::filesystem;
using test::replaced;
using namespace std::string_literals;  // "\0" inside a text
using Files = std::map<std::string, std::string>;

struct Row {
  explicit Row(std::string rowName) : name(std::move(rowName)) {}
  Row& boards(std::string words) { return set(boards_, std::move(words)); }
  Row& layout(std::string items) { return set(layout_, std::move(items)); }
  Row& prints(std::string text) { return set(prints_, std::move(text)); }
  Row& writes(std::string items) { return set(writes_, std::move(items)); }
  Row& previewShows(std::string text) { return set(preview_, std::move(text)); }
  Row& startsIn(std::string folder) { return set(start_, std::move(folder)); }
  // sioc.ini kept open, sharing everything, with this access (Windows).
  Row& siocIniHeldFor(unsigned long access) { return set(held_, access); }
  // ... and let go a second after the run started, while it waits.
  Row& letGoDuringTheRun() { return set(letGo_, true); }
  // The shipped programs over boards in Wine's registry, not a device list.
  Row& plugged() { return set(plugged_, true); }

  std::string name;  // printed by a failure
  std::string boards_, layout_, prints_, writes_, preview_,
      start_ = "Vorlancockpit/SIOC/Kesmira/TRV_setup";
  bool plugged_ = false, letGo_ = false;
  unsigned long held_ = 0;

 private:
  template <typename T>
  Row& set(T& field, T value) {
    field = std::move(value);
    return *this;
  }
};

const std::string kBanner =
    "=================================================================\n"
    " Detect and setup OC Modules for Vorlan and Kesmira, version 1.0\n\n"
    "=================================================================\n";
// What a run prints for each file it writes.
const std::string kList = "@\\Vorlantrv.lst created.\n";
const std::string kBackup = "@\\siocini_before_setup_Vorlantrv.ini created.\n";
const std::string kIni = "@\\sioc.ini created.\n";
const std::string kAtc = "atc module detected\n\n\n";
// What a preview prints before its changes, and of a backup it cannot make.
const std::string kChanges = "What a setup run would change in @:\n";
const std::string kNoBackup =
    "siocini_before_setup_Vorlantrv.ini: none is made, as there is no sioc.ini\n";
const std::string kReadOnly =
    "! Failed to create @\\sioc.ini\nThe file @\\sioc.ini is read-only: clear "
    "Read-only in its Properties (right-click it in Explorer), then run the setup "
    "again.\n";
const std::string kLegend =
    "\"- 3:\" is line 3 of the file now, which a run removes; \"+ 5:\" is line 5 of "
    "the file as a run writes it, which it adds; lines that stay are not shown.\n";
// What a run says of the modules it leaves out.
const std::string kNoComm1 =
    "\n? Module folder: @\\Vorlancockpit\\TRVcomm1\nnot found for comm1\n"
    "comm1 not configured.\n";
const std::string kNoModules =
    "\n? file module.lst not found in @\\Vorlancockpit\\TRVefis1\nefis1 not "
    "configured.\n\n"
    "\n? file module.lst in @\\Vorlancockpit\\TRVmcp is empty.\nmcp not configured.\n\n"
    "\n? file module.lst not found in @\\Vorlancockpit\\TRVcomm1\ncomm1 not "
    "configured.\n";
const std::string kPrompt = "\nPress <Return> or <Enter> to close this window ...";

// sioc.ini for efis1 = 1, mcp = 0 and cdu1 = 4, with LF line ends.
const std::string kWorkedExampleIni =
    "; This sioc.ini was generated by setup Vorlan TRV version 1.0\n\n"
    "[SIOC]\nIOCP_port=8092\nIOCP_timeout=4000\nMinimized=No\ntoggle_delay=20\n"
    "CONFIG_FILE=Vorlantrv.lst\n\n"
    "[IOCARDS MODULE]\nIOCard_disable=No\nIOCard_LPT=No\n\n"
    "[MASTERS]\n[mcp]\nMASTER=2,5,1,0\n[mcpv3]\n[MASTER=2,15,1,??]\n"
    "[efis1]\nMASTER=3,7,1,1\n[efis2]\n[MASTER=4,7,1,??]\n"
    "[cduv31]\n[MASTER=5,13,1,??]\n[cduv32]\n[MASTER=6,13,1,??]\n"
    "[cduv33]\n[MASTER=7,13,1,??]\n[comm1]\n[MASTER=8,8,1,??]\n"
    "[comm2]\n[MASTER=9,8,1,??]\n[comm3]\n[MASTER=10,8,1,??]\n"
    "[atc]\n[MASTER=11,11,1,??]\n[chrono1]\n[MASTER=12,16,1,??]\n"
    "[chrono2]\n[MASTER=13,16,1,??]\n\n"
    "[USBKEYS]\n[cdu1]\nUSBKEYS=1,4\n[cdu2]\n[USBKEYS=2,??]\n[cdu3]\n[USBKEYS=3,??]\n\n"
    "[FSUIPC MODULE]\nFSUipcdisable=Yes\n\n"
    "[IOCP CLIENTS MODULES]\nIOCPini_delay=3000\n"
    "IOCPclient0_disable=Yes\nIOCPclient0_host=localhost\nIOCPclient0_port=8090\n"
    "IOCPclient1_disable=Yes\nIOCPclient1_host=localhost\nIOCPclient1_port=8099\n\n"
    "[SOUND MODULE]\nSound_disable=Yes\n";

// A text as the tool writes it to disk.
std::string crlf(const std::string& text) { return replaced(text, "\n", "\r\n"); }

Files items(const std::string& text) {
  const Files aliases = {{"list", "Vorlantrv.lst"},
                         {"backup", "siocini_before_setup_Vorlantrv.ini"},
                         {"ini", "sioc.ini"}};
  Files files;
  std::istringstream in(text);
  for (std::string item; std::getline(in, item, '|');) {
    std::string name = item.substr(0, item.find('='));
    if (aliases.count(name) != 0) name = aliases.at(name);
    if (name.find_first_of("./") == std::string::npos)
      name = "Vorlancockpit/TRV" + name + "/module.lst";
    files[name] = item.substr(item.find('=') + 1);
  }
  return files;
}

void layOut(const fs::path& name, const std::string& bytes) {
  fs::create_directories(name.parent_path());
  int minutes = 10, skip = 0;
  unsigned mode = 01000;  // none given
  std::sscanf(bytes.c_str(), "<%d minutes old>%n", &minutes, &skip);
  std::sscanf(bytes.c_str(), "<mode %o>%n", &mode, &skip);
  if (name.filename().empty()) return;  // a folder
  test::writeBytes(name, bytes.substr(skip));
#ifdef _WIN32
  // Only the system and administrators may open it: a DACL that no new file
  // has (Wine keeps what the Unix mode can say of it).
  PSECURITY_DESCRIPTOR only = nullptr;
  if (name.filename() == "sioc.ini" &&
      ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;SY)(A;;FA;;;BA)",
                                                           1, &only, nullptr)) {
    SetFileSecurityW(name.c_str(), DACL_SECURITY_INFORMATION, only);
    LocalFree(only);
  }
#endif
  fs::last_write_time(name, fs::last_write_time(name) - std::chrono::minutes(minutes));
  if (mode != 01000) fs::permissions(name, static_cast<fs::perms>(mode));
}

// The promises every row keeps.

// The tool's own lines fit 80 columns: only a line it prints as given (a
// "!" or "?" line, a file's line, "<path> created.") may be longer. Gives the text with
// the lines it broke joined again.
std::string unwrapped(const std::string& text) {
  static const std::regex kGiven("^(! |\\? |  [-+] )| created\\.$");
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const auto columns = std::count_if(line.begin(), line.end(), [](char c) {
      return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    });
    const bool given = std::regex_search(line, kGiven);
    EXPECT_TRUE(columns <= 79 || given) << line;
  }
  return replaced(text, "\n    ", " ");
}

// Every file as the row expects it ("*": any bytes), and no other.
void expectFilesAsWritten(Files found, const Files& expected) {
  for (auto& [name, bytes] : found)
    if (expected.count(name) != 0 && expected.at(name) == "*") bytes = "*";
  EXPECT_EQ(found, expected);
}

// The preview stops where the run stops, with the run's "! Failed" lines,
// and a stop foreseen writes nothing.
void expectStopsForeseen(const std::string& preview, const std::string& run,
                         const Files& found, const Files& laidOut) {
  const size_t at = std::min(run.find("\n! Failed"), run.size() - kPrompt.size());
  const std::string stop = run.substr(at, run.size() - kPrompt.size() - at);
  EXPECT_EQ(preview.find("\n! Failed") == std::string::npos, stop.empty());
  EXPECT_NE(preview.find(stop), std::string::npos) << stop;
  EXPECT_EQ(stop.empty() ? laidOut : found, laidOut) << "a stop foreseen wrote";
}

#ifdef _WIN32
// A file's DACL, as the bytes of its security descriptor.
std::string daclOf(const fs::path& file) {
  char bytes[4096];
  DWORD size = 0;
  GetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, bytes, sizeof bytes, &size);
  return std::string(bytes, std::min<size_t>(size, sizeof bytes));
}
#endif

void check(const Row& row) {
  const test::TempDir dir;
  const fs::path base = dir.path() / fs::u8path("\xCE\xA9\xC3\xA9");  // Ωé
  fs::create_directories(base / row.start_);
  for (const auto& [name, bytes] : items(row.layout_))
    layOut(base / fs::u8path(name), bytes);
  const Files laidOut = test::filesBelow(base);
  Files expected = laidOut;
  for (const auto& [name, bytes] : items(row.writes_)) {
    expected[name] = bytes;
    if (bytes == "<gone>") expected.erase(name);
  }
  const fs::path devices = dir.path() / "devices.txt";
  test::writeBytes(devices, test::boards(row.boards_));
  test::setEnv("TRV_SETUP_DEVICES", devices.u8string());
#ifdef _WIN32
  const std::string dacl = daclOf(base / "sioc.ini");
  std::optional<test::PluggedBoards> plugged;
  if (row.plugged_) plugged.emplace(row.boards_);
  const auto hold = [&] {
    return CreateFileW((base / "sioc.ini").c_str(), row.held_,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
  };
  // Open from before the preview to after the run, unless let go in it.
  HANDLE holder = row.held_ != 0 && !row.letGo_ ? hold() : INVALID_HANDLE_VALUE;
#endif
  // The preview, taken first, meets the failures that the row injects.
  const std::string preview = unwrapped(test::runProgram(
      row.plugged_ ? TRV_BOARDS_EXE : TRV_BOARDS_SCRIPTED_EXE, base / row.start_));
  EXPECT_EQ(test::filesBelow(base), laidOut) << "the preview wrote";
  const std::string shownBase = sioc_lib::windowsForm(base);
  EXPECT_NE(preview.find(replaced(row.preview_, "@", shownBase)), std::string::npos)
      << preview;
#ifdef _WIN32
  std::thread letGo;
  if (row.letGo_)
    letGo = std::thread([&, held = hold()] {
      Sleep(1000);
      CloseHandle(held);
    });
#endif
  const std::string run = unwrapped(test::runProgram(
      row.plugged_ ? TRV_SETUP_EXE : TRV_SETUP_SCRIPTED_EXE, base / row.start_));
#ifdef _WIN32
  if (letGo.joinable()) letGo.join();
  if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
  // A replaced sioc.ini keeps its DACL.
  if (laidOut.count("sioc.ini") != 0) {
    EXPECT_EQ(daclOf(base / "sioc.ini"), dacl);
  }
#endif
  EXPECT_EQ(run, kBanner + replaced(row.prints_, "@", shownBase) + kPrompt);
  expectFilesAsWritten(test::filesBelow(base), expected);
  expectStopsForeseen(preview, run, test::filesBelow(base), laidOut);
}

std::vector<Row> rows() {
  const std::string byHand = replaced(kWorkedExampleIni, "Minimized=No", "Minimized=Yes");
  // Most rows: one ATC board, its module list and a sioc.ini.
  const auto atc = [](const std::string& name) {
    return Row(name).boards("atc:5").layout("atc=a\r\n|ini=mine");
  };
  std::vector<Row> rows = {
      Row("WorkedExample")
          .boards("efis:1 mcp:0 fmc:4 comm:2")
          .layout("efis1=panels/efis.ssi\nEFIS.txt\r\n|mcp=x\r\n|cdu1=x\r\n"
                  "|ini=<mode 600>[SIOC]\nold=1\n")
          .prints("efis1 module detected\nmcp module detected\n"
                  "comm1 module detected\ncdu1 module detected\n" +
                  kNoComm1 + "\n\n\n" + kList + kBackup + kIni)
          .writes(
              "list=EFIS.txt\r\npanels\\efis.ssi\r\nx\r\n|backup=[SIOC]\nold=1\n|ini=" +
              crlf(kWorkedExampleIni))
          // The last screen repeats what the run leaves out.
          .previewShows("  and the line ends become CR LF\n\n"
                        "The modules a setup run leaves out, as said above:\n" +
                        kNoComm1 + "\n"),
      Row("EntriesMergedSortedByteWiseOnceEachInWindowsForm")
          .boards("efis:1 mcp:3")
          .layout("mcp=b\r\na\nB\r\nab\r\n\xC3\xA9\r\nZ\r\n\r\n\x80\r\ndir/f.txt\r\n"
                  "//server/x\r\n///x\r\nx///y\r\n/abs\r\n a \r\n\ta\r\nn\0l\r\n"
                  "c\rr\r\nlast"
                  "|efis1=ab\r\ndir\\f.txt\r\n\n\nlast\r\r\n"s)
          .prints("efis1 module detected\nmcp module detected\n\n\n" + kList + kIni)
          .writes("list=\r\n\ta\r\n a \r\nB\r\nZ\r\n\\\\server\\x\r\n\\\\x\r\n\\abs\r\n"
                  "a\r\nab\r\nb\r\nc\rr\r\ndir\\f.txt\r\nlast\r\nlast\r\r\nn\0l\r\n"
                  "x\\\\\\y\r\n\x80\r\n\xC3\xA9\r\n|ini=*"s),
      Row("EveryWayAModuleGoesUnconfiguredWritesNothing")
          .boards("efis:2 mcp:3 comm8:6")
          .layout("Vorlancockpit/TRVefis1/=|mcp=|Vorlancockpit/TRVcomm1/module.lst/"
                  "=|ini=kept")
          .prints("efis1 module detected\nmcp module detected\ncomm1 module detected\n" +
                  kNoModules + "\n\n\nNo files produced ...\n\n")
          .previewShows("A setup run would fill these slots:\n"
                        "  efis1 with device number 2: left out, not configured: file "
                        "module.lst not found in @\\Vorlancockpit\\TRVefis1\n"
                        "  mcp with device number 3: left out, not configured: file "
                        "module.lst in @\\Vorlancockpit\\TRVmcp is empty\n"
                        "  comm1 with device number 6: left out, not configured: file "
                        "module.lst not found in @\\Vorlancockpit\\TRVcomm1\n\n" +
                        kChanges + kNoModules +
                        "\nA setup run would write nothing:\nNo files produced ...\n"),
      atc("FolderAtTheBackupsNameLeavesSiocIni")
          .layout("atc=a\r\n|siocini_before_setup_Vorlantrv.ini/=|ini=hand")
          .prints(kAtc + "! Failed to create @\\siocini_before_setup_Vorlantrv.ini\n"),
      atc("ReadOnlySiocIniStopsTheRunBeforeItWrites")
          .layout("atc=a\r\n|list=a\r\n|ini=<mode 0>mine")
          .prints(kAtc + kReadOnly)
          .previewShows(kChanges +
                        "Vorlantrv.lst: unchanged\n"
                        "siocini_before_setup_Vorlantrv.ini: new, a copy of sioc.ini\n"
                        "sioc.ini:\n" +
                        kReadOnly +
                        "A setup run would stop there, before it writes any file.\n"),
      // The preview shows the line the run changes, and where only line ends do.
      Row("FirstRunOverFilesSavedWithLfAlone")
          .boards("efis:1 mcp:0 fmc:4")
          .layout("list=a\nb\nc\n|efis1=a\r\n|mcp=b\r\n|cdu1=c\r\n|ini=" + byHand)
          .prints(
              "efis1 module detected\nmcp module detected\ncdu1 module detected\n\n\n" +
              kList + kBackup + kIni)
          .writes("list=a\r\nb\r\nc\r\n|backup=" + byHand +
                  "|ini=" + crlf(kWorkedExampleIni))
          .previewShows(kChanges +
                        "Vorlantrv.lst: the same lines; their line ends become CR LF\n"
                        "siocini_before_setup_Vorlantrv.ini: new, a copy of sioc.ini\n" +
                        kLegend +
                        "sioc.ini: 1 line removed, 1 line added\n  - 6: Minimized=Yes\n"
                        "  + 6: Minimized=No\n  and the line ends become CR LF\n"),
      // A line that holds what a console would act on or not show is quoted,
      // those bytes as \xHH and lookalike characters as \u{XXXX}. A run's
      // leftover is named, as the run removes it.
      atc("OnlyWhatIsInTheFilesReachesTheConsole")
          .layout(
              "~trvold01.tmp=<61 minutes old>|~trvnew01.tmp=<59 minutes old>|list=old\r\n"
              "|atc=\x1B]0;title\x07\r\n\"quoted\"\r\nJ\xC3\xB6rg\r\nJo\xCC\x88rg\r\n"
              "a\\b\r\nlone\rcr\r\nnbsp\xC2\xA0\r\ntab\there\r\ntrailing \r\n"
              "zero\xE2\x80\x8Bwidth\xE3\x82\x99\xE2\xA0\x80\xE1\x84\x80\xF0\x9D\x85"
              "\xA7\r\n\xC2\x9B\r\n"
              "\xE2\x80\x8Eltr\r\n\xEF\xBB\xBF"
              "bom\r\n\xFFx\xED\xA0\x80\xE2\x82x\xF4\x90\x80\x80\r\n")
          .prints(kAtc + kList + kIni)
          .writes("list=*|ini=*|~trvold01.tmp=<gone>")
          .previewShows(
              kChanges + kLegend +
              "Vorlantrv.lst: 1 line removed, 14 lines added\n  - 1: old\n"
              "  + 1: \"\\x1B]0;title\\x07\"\n  + 2: \"\\\"quoted\\\"\"\n"
              "  + 3: \"Jo\\u{0308}rg\"\n  + 4: J\xC3\xB6rg\n  + 5: a\\b\n"
              "  + 6: \"lone\\x0Dcr\"\n  + 7: \"nbsp\\u{00A0}\"\n"
              "  + 8: \"tab\\x09here\"\n  + 9: \"trailing \"\n"
              "  + 10: \"zero\\u{200B}width\\u{3099}\\u{2800}\\u{1100}\\u{1D167}\"\n"
              "  + 11: \"\\xC2\\x9B\"\n  + 12: \"\\u{200E}ltr\"\n"
              "  + 13: \"\\u{FEFF}bom\"\n  + 14: "
              "\"\\xFFx\\xED\\xA0\\x80\\xE2\\x82x\\xF4\\x90\\x80\\x80\"\n"
              "~trvold01.tmp: removed, a leftover of a run that was cut off\n" +
              kNoBackup + "sioc.ini: new\n"),
      Row("NoBoardPluggedInWritesNothing")
          .layout("atc=a\r\n|ini=kept")
          .prints("! None of the Opencockpits modules detected.\n")
          .previewShows("A setup run would write nothing:\nNone of the Opencockpits "
                        "modules detected.\n"),
      Row("RefusedCombinationWritesNothingAndTheListingSaysSo")
          .boards("mcp:1 mcpv3:2 atc:3")
          .layout("mcp=a\r\n|ini=kept")
          .prints("! As well MCP737 as MCP737V3 were detected; this is not supported.\n")
          .previewShows(
              "   0  0000    0009     0001    refused in this combination (below)\n"
              "   1  0000    0014     0002    refused in this combination (below)\n"
              "   2  0000    0010     0003    none: the setup stops (below)\n\n"
              "A setup run would write nothing:\n"
              "As well MCP737 as MCP737V3 were detected; this is not supported.\n"),
      Row("StartedOutsideTheSetupFolderWritesNothing")
          .startsIn("Vorlancockpit/MyTRV_setup")
          .prints(
              "! You should run this program in the SIOC\\Kesmira\\TRV_setup folder.\n"),
      // Only a whole folder name counts.
      Row("NoFolderNamedVorlancockpitWritesNothing")
          .startsIn("MyVorlancockpit2/TRV_setup")
          .prints("! Your Vorlancockpit folder could not be found...\n"),
      Row("TwoFmc747BesideTwoV3AreRefused")
          .boards("fmc:1 fmc:2 fmcv3:3 fmcv3:4")
          .prints("! As well 2 FMC747 as 2 FMC747V3 were detected...; this is not "
                  "supported.\n")};
#ifdef _WIN32
  // Only boards plugged in count (not the EFIS unplugged first), each with
  // the driver key of its own device; an EFIS without one is passed over,
  // another maker's COMM too, and three COMM boards take their slots in list
  // order. Wine's own keyboard and mouse come first in the listing.
  std::string ini = kWorkedExampleIni;
  for (const auto& [from, to] : Files{{"[MASTER=11,11,1,??]", "MASTER=11,11,1,4"},
                                      {"[MASTER=8,8,1,??]", "MASTER=8,8,1,7"},
                                      {"[MASTER=9,8,1,??]", "MASTER=9,8,1,2"},
                                      {"[MASTER=10,8,1,??]", "MASTER=10,8,1,5"},
                                      {"USBKEYS=1,4", "[USBKEYS=1,??]"}})
    ini = replaced(ini, from, to);
  const std::string held =
      "@\\sioc.ini\nAnother program has the file @\\sioc.ini open: close it (SIOC "
      "itself, an editor or a sync client), then run the setup again.\n";
  rows.push_back(
      Row("ShippedProgramsOverPluggedBoards")
          .plugged()
          .boards("-efis:3 comm:7 04d8/comm:1 efis:none efis:1 mcp:0 comm:2 atc:4 comm:5")
          .layout("efis1=e\r\n|mcp=m\r\n|atc=a\r\n|comm1=c\r\n|comm2=c\r\n|comm3=d\r\n")
          .prints("efis1 module detected\nmcp module detected\natc module detected\n"
                  "comm1 module detected\ncomm2 module detected\n"
                  "comm3 module detected\n\n\n" +
                  kList + kIni)
          .writes("list=a\r\nc\r\nd\r\ne\r\nm\r\n|ini=" + crlf(ini))
          .previewShows("   2  0000    000d     0007    comm1\n"
                        "   3  04d8    000d     0001    another maker's device\n"
                        "   4  0000    000b     none    its driver key cannot be read\n"
                        "   5  0000    000b     0001    efis1\n"
                        "   6  0000    0009     0000    mcp\n"
                        "   7  0000    000d     0002    comm2\n"
                        "   8  0000    0010     0004    atc\n"
                        "   9  0000    000d     0005    comm3\n"));
  // Held all through the run, a file is waited for, then the run fails and
  // says why (no copy is taken while it may change); let go while the run
  // waits for it, the run goes on.
  for (const auto& [name, access] : std::map<std::string, unsigned long>{
           {"Reading", GENERIC_READ}, {"Writing", GENERIC_WRITE}}) {
    const bool reading = access == GENERIC_READ;
    rows.push_back(atc("SiocIniHeldFor" + name)
                       .siocIniHeldFor(access)
                       .prints(kAtc +
                               (reading ? "! Failed to create " : "! Failed to read ") +
                               held));
    rows.push_back(atc("SiocIniHeldFor" + name + "IsWaitedFor")
                       .siocIniHeldFor(access)
                       .letGoDuringTheRun()
                       .prints(kAtc + kList + kBackup + kIni)
                       .writes("list=a\r\n|backup=mine|ini=*"));
  }
#endif
  return rows;
}

// A failure names its row.
void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

class RunTest : public testing::TestWithParam<Row> {};

TEST_P(RunTest, KeepsEveryPromise) { check(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Rows, RunTest, testing::ValuesIn(rows()),
                         [](const testing::TestParamInfo<Row>& row) {
                           return row.param.name;
                         });

// Runs in this process over the system's own file system (natively, and
// under Wine the Windows one) with what a machine under test cannot be made
// to show: a step that fails, or another program that saves sioc.ini while
// the run reads it. Each is compared on what it prints and every file after.
// A file whose read ends early, as on a failing drive.
struct Unreadable : sioc_lib::ReadableFile {
  std::optional<std::string> readAll() override { return std::nullopt; }
};

// The system's file system, where the step named by fault ("write 1") fails
// on the file of that name or at its n-th call, and where beforeSiocIniRead
// runs before each open of sioc.ini.
struct FaultyFileSystem : sioc_lib::SystemFileSystem {
  std::string fault;
  std::function<void()> beforeSiocIniRead;
  std::map<std::string, int> calls;
  bool fails(const std::string& step, const fs::path& file) {
    const std::string call = std::to_string(++calls[step]);
    return fault == step + " " + call || fault == step + " " + file.filename().u8string();
  }
  sioc_lib::FileStatus status(const fs::path& name, bool followLinks) override {
    return fails("status", name) ? sioc_lib::FileStatus{}
                                 : SystemFileSystem::status(name, followLinks);
  }
  std::unique_ptr<sioc_lib::ReadableFile> open(const fs::path& file) override {
    if (file.filename() == "sioc.ini") beforeSiocIniRead();
    if (fails("open", file)) return nullptr;
    if (fails("read", file)) return std::make_unique<Unreadable>();
    return SystemFileSystem::open(file);
  }
  sioc_lib::Created create(const fs::path& temporary) override {
    return fails("create", temporary) || fault == "deny"
               ? sioc_lib::Created::kDenied
               : SystemFileSystem::create(temporary);
  }
  // "deny": the folder's permissions refuse this user.
  sioc_lib::Access accessToCreateIn(const fs::path& folder) override {
    return fault == "deny" ? sioc_lib::Access::kDenied
                           : SystemFileSystem::accessToCreateIn(folder);
  }
  bool write(const std::string& bytes, const fs::path& readersOf) override {
    return !fails("write", readersOf) && SystemFileSystem::write(bytes, readersOf);
  }
  bool replace(const fs::path& source, const fs::path& target) override {
    return !fails("replace", target) && SystemFileSystem::replace(source, target);
  }
  sioc_lib::Placement place(const fs::path& source, const fs::path& target) override {
    return fails("place", target) ? sioc_lib::Placement::kFailed
                                  : SystemFileSystem::place(source, target);
  }
};

TEST(FileFaultsTest, NothingLostNothingSaidThatDidNotHappen) {
  const std::string folder =
      "atc module detected\n! Failed to read @\\Vorlancockpit\\TRVatc";
  const struct {
    std::string fault;   // "" for none
    std::string prints;  // after the banner; "@" the base folder
    std::string writes{};
    std::vector<std::string> saves{};  // sioc.ini saved before each read
    bool savesWithAPause = false;      // in two writes, from the first read
    bool otherRunsBackup = false;      // just before the first read
  } rows[] = {
      {"status TRVatc", folder + "\n"},
      // A file that cannot be opened is not read as empty.
      {"open module.lst", folder + "\\module.lst\n"},
      {"read module.lst", folder + "\\module.lst\n"},
      {"create 1",
       kAtc + "! Failed to create @\\Vorlantrv.lst\n"
#ifdef _WIN32
              "A protection refused the change to the folder @ although this user "
              "may make it: allow the program in Windows Security (Controlled "
              "folder access) or in the virus scanner, then run it again.\n"
#endif
      },
      {"deny", kAtc + "! Failed to create @\\Vorlantrv.lst\nThis user may not change "
                      "the folder @: start the program with \"Run as administrator\", "
                      "or keep the installation outside protected folders such as "
                      "Program Files or the root of a drive (C:\\).\n"},
      // Written, flushed and closed in one step: any of them failing.
      {"write 1", kAtc + "! Failed to create @\\Vorlantrv.lst\n"},
      {"read sioc.ini", kAtc + kList + "! Failed to read @\\sioc.ini\n", "list=a\r\n"},
      {"place siocini_before_setup_Vorlantrv.ini",
       kAtc + kList + "! Failed to create @\\siocini_before_setup_Vorlantrv.ini\n",
       "list=a\r\n"},
      {"replace sioc.ini", kAtc + kList + kBackup + "! Failed to create @\\sioc.ini\n",
       "list=a\r\n|backup=mine"},
      // The backup is one whole version, and another run's is kept.
      {"", kAtc + kList + kIni, "list=a\r\n|backup=other run's|ini=*", {}, false, true},
      {"",
       kAtc + kList + kBackup + kIni,
       "list=a\r\n|backup=HAND|ini=*",
       {"HAnd", "HAND"}},
      {"",
       kAtc + kList + "! Failed to read @\\sioc.ini\n",
       "list=a\r\n|ini=hand",
       {"HAnd", "HAND", "hand"}},
      {"", kAtc + kList + kBackup + kIni, "list=a\r\n|backup=HAND|ini=*", {}, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.fault + row.prints);
    const test::TempDir dir;
    baseFolder = dir.path();
    const fs::path ini = siocIniPath();
    for (const auto& [name, bytes] : items("atc=a\r\n|list=old|ini=<1 minutes old>mine"))
      layOut(dir.path() / name, bytes);
    const auto savedAt = fs::last_write_time(ini);
    Files expected = test::filesBelow(dir.path());
    for (const auto& [name, bytes] : items(row.writes)) expected[name] = bytes;
    test::useDevices("atc:5");
    FaultyFileSystem files;
    files.fault = row.fault;
    size_t reads = 0;
    std::thread saver;
    files.beforeSiocIniRead = [&] {
      if (row.savesWithAPause && !saver.joinable()) {
        test::writeBytes(ini, "HAnd");
        saver = std::thread([ini] {
          std::this_thread::sleep_for(std::chrono::milliseconds(200));
          test::writeBytes(ini, "HAND");
        });
      }
      if (row.otherRunsBackup) test::writeBytes(siocIniBackupPath(), "other run's");
      if (reads < row.saves.size()) {
        test::writeBytes(ini, row.saves[reads++]);
        fs::last_write_time(ini, savedAt);
      }
    };
    const sioc_lib::UseFileSystem use(files);
    testing::internal::CaptureStdout();
    try {
      runSetup();
    } catch (const std::runtime_error& e) {
      std::cout << "! " << e.what() << "\n";
    }
    if (saver.joinable()) saver.join();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              replaced(row.prints, "@", sioc_lib::windowsForm(dir.path())));
    expectFilesAsWritten(test::filesBelow(dir.path()), expected);
  }
}

// trv_boards outside a setup folder: every interface with the setup's
// verdict on it, then what a setup run would do.
TEST(ListingTest, EveryInterfaceWithTheSetupsVerdict) {
  const std::string devices =
      test::boards(
          "046d/fmc:1 efis:3 efis:4 efis:5 mcp:3 mcp:6 comm:7 comm8:7 0017:8 comm:9 "
          "fmc:8 fmc:9 fmcv3:1") +
      "{x}\t\\\\?\\hid#vid_0000&pid_0015#1\n"  // a key without a number
      "\t\\\\?\\hid#VID_0000&PID_0015#1\n"     // no key
      "{x}\\0009\t\n"                          // no interface path
      // The product as the setup reads it: the last "pid_".
      "{x}\\0013\t\\\\?\\hid#vid_0000&pid_0010#pid_zzzz#1\n"
      // A path of any length judged by the rules.
      "{x}\\0015\t\\\\?\\hid#vid_0000&pid_0015#" +
      std::string(4100, 'x') + "\n" +
      // No third product 13 COMM: the third search takes a product 8 one, and
      // passes over one without a number.
      "{x}\t\\\\?\\hid#vid_0000&pid_0008#1\n{x}\\0004\t\\\\?\\hid#vid_0000&pid_0008#1\n";
  const test::TempDir dir;
  test::writeBytes(dir.path() / "devices.txt", devices);
  test::setEnv("TRV_SETUP_DEVICES", (dir.path() / "devices.txt").u8string());
  // What a setup run would do: the shipped programs' row.
  const std::string listing = test::runProgram(TRV_BOARDS_SCRIPTED_EXE, dir.path());
  EXPECT_EQ(
      listing.substr(listing.find("   #"),
                     listing.find("\nA setup run") - listing.find("   #")),
      "   #  vendor  product  device  what the setup makes of it\n"
      "   0  046d    0002     0001    another maker's device\n"
      "   1  0000    000b     0003    efis1\n"
      "   2  0000    000b     0004    efis2\n"
      "   3  0000    000b     0005    beyond the 2 EFIS slots\n"
      "   4  0000    0009     0003    mcp\n"
      "   5  0000    0009     0006    beyond the 1 MCP737 slot\n"
      "   6  0000    000d     0007    comm1\n"
      "   7  0000    0008     0007    device number taken by an earlier COMM\n"
      "   8  0000    0017     0008    Opencockpits, but no board the setup uses\n"
      "   9  0000    000d     0009    comm2\n"
      // Two FMC747 boards beside a V3: the first moves to cdu3.
      "  10  0000    0002     0008    cdu3\n"
      "  11  0000    0002     0009    cdu2\n"
      "  12  0000    0013     0001    cduv31\n"
      "  13  0000    0015     none    no device number in its driver key\n"
      "  14  0000    0015     none    its driver key cannot be read\n"
      "  15  ?       ?        0009    its interface path cannot be read\n"
      "  16  0000    ?        0013    Opencockpits, but its product id cannot be read\n"
      "  17  0000    0015     0015    chrono1\n"
      "  18  0000    0008     none    no device number in its driver key\n"
      "  19  0000    0008     0004    comm3\n");
}

}  // namespace
