#include "test_util.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>

#include "app/globals.h"
#include "detect/hid_scripted.h"
#include "detect/hid_search.h"
#include "detect/modules.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

namespace test {

#ifndef _WIN32
// No test writes a file of 64 MiB: a fault that writes without end stops
// there (the tests and the programs they start inherit the limit).
const bool kFileSizeLimited = [] {
  const rlimit limit{64 << 20, 64 << 20};
  return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}();
#endif

TempDir::TempDir() {
  std::random_device random;
  do {
    path_ = fs::temp_directory_path() / ("trv_test_" + std::to_string(random()));
  } while (!fs::create_directory(path_));
  path_ = fs::canonical(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests leave read-only files behind; open them up before removing.
  for (auto it = fs::recursive_directory_iterator(path_, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
    text.replace(at, from.size(), to), at += to.size();
  return text;
}

void writeBytes(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

std::map<std::string, std::string> filesBelow(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    std::error_code ec;  // a link loop has no status
    // A FIFO would block a read.
    if (entry.is_directory(ec)) continue;
    std::string& bytes =
        files[entry.path().lexically_relative(folder).generic_u8string()];
    std::ifstream in(entry.is_regular_file(ec) ? entry.path() : fs::path(),
                     std::ios::binary);
    bytes = in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<other>";
  }
  return files;
}

std::string boards(const std::string& words) {
  static const std::map<std::string, unsigned> kProducts = {
      {"fmc", 2},  {"comm8", 8},  {"mcp", 9},    {"efis", 11},  {"comm", 13},
      {"atc", 16}, {"fmcv3", 19}, {"mcpv3", 20}, {"chrono", 21}};
  std::string text;
  std::istringstream in(words);
  for (std::string word; in >> word;) {
    const size_t slash = word.find('/') + 1, colon = word.find(':');
    const unsigned vendor =
        slash == 0 ? 0 : std::stoul(word.substr(0, slash - 1), nullptr, 16);
    const std::string kind = word.substr(slash, colon - slash);
    const unsigned product =
        kProducts.count(kind) != 0 ? kProducts.at(kind) : std::stoul(kind, nullptr, 16);
    char line[160];
    std::snprintf(line, sizeof line,
                  "{745a17a0-74d3-11d0-b6fe-00a0c90f57da}\\%04d\t"
                  "\\\\?\\hid#vid_%04x&pid_%04x#7&1a2b&0&0000#{4d1e}\r\n",
                  std::atoi(word.c_str() + colon + 1), vendor, product);
    text += line;
  }
  return text;
}

void useDevices(const std::string& words) {
  moduleSlots.fill(-1);
  moduleListContent.clear();
  siocIniContent.clear();
  hidInterfaceLimit = 1000;
  setHidSnapshotSource([devices = parseScriptedDevices(boards(words))] {
    return std::make_unique<HidRecordSnapshot>(devices);
  });
}

void useDeviceList(const fs::path& folder, const std::string& lines) {
  writeBytes(folder / "devices.txt", lines);
#ifdef _WIN32
  _wputenv_s(L"TRV_SETUP_DEVICES", (folder / "devices.txt").c_str());
#else
  // NOLINTNEXTLINE(concurrency-mt-unsafe)
  setenv("TRV_SETUP_DEVICES", (folder / "devices.txt").c_str(), 1);
#endif
}

#ifdef _WIN32
namespace {

const std::string kEnum = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\TRVTEST";
const std::string kHid =
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\DeviceClasses\\"
    "{4d1e55b2-f16f-11cf-88cb-001111000030}";

void importRegistry(const std::string& text) {
  const TempDir dir;
  writeBytes(dir.path() / "boards.reg",
             "Windows Registry Editor Version 5.00\r\n" + text);
  const std::wstring command =
      L"regedit /S \"" + (dir.path() / "boards.reg").wstring() + L"\"";
  if (const int status = _wsystem(command.c_str()); status != 0)
    throw std::runtime_error("regedit /S: status " + std::to_string(status));
}

// Every device and interface of ours, also those a killed test left.
void unplugAll() {
  std::string text = "[-" + kEnum + "]\r\n";
  // Wine adds an interface of its own to each device, which it never links.
  for (int board = 10; board < 40; ++board)
    text += "[-" + kHid + "\\##?#trvtest" + std::to_string(board) + "]\r\n[-" + kHid +
            "\\##?#TRVTEST#BOARD" + std::to_string(board) + "#" +
            kHid.substr(kHid.size() - 38) + "]\r\n";
  importRegistry(text);
}

// regedit's quoting.
std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) out += c == '\\' ? "\\\\" : std::string(1, c);
  return out + "\"";
}

}  // namespace

// A device as Wine keeps it: a key under Enum with its class and driver key,
// and its HID interface, whose Control\Linked says whether it is plugged in.
// Wine lists the interfaces by their key names, so in the words' order after
// its own devices.
PluggedBoards::PluggedBoards(const std::string& words) {
  unplugAll();
  std::istringstream in(words);
  std::string text;
  int ordinal = 10;
  for (std::string word; in >> word; ++ordinal) {
    const bool unplugged = word[0] == '-';
    const std::string record = boards(word.substr(unplugged ? 1 : 0));
    const size_t tab = record.find('\t');
    const std::string number = std::to_string(ordinal),
                      hid = kHid + "\\##?#trvtest" + number;
    text += "[" + kEnum + "\\BOARD" + number +
            "]\r\n\"ClassGUID\"=\"{745a17a0-74d3-11d0-b6fe-00a0c90f57da}\"\r\n";
    if (word.find(":none") == std::string::npos)
      text += "\"Driver\"=" + quoted(record.substr(0, tab)) + "\r\n";
    text += "[" + hid + "]\r\n\"DeviceInstance\"=\"TRVTEST\\\\BOARD" + number + "\"\r\n";
    text += "[" + hid + "\\#]\r\n\"SymbolicLink\"=" +
            quoted(record.substr(tab + 1, record.size() - tab - 3)) + "\r\n";
    text += "[" + hid + "\\#\\Control]\r\n\"Linked\"=dword:0000000" +
            (unplugged ? "0\r\n" : "1\r\n");
  }
  importRegistry(text);
}

PluggedBoards::~PluggedBoards() { unplugAll(); }
#endif

std::string runProgram(const std::string& exe, const fs::path& folder) {
#ifdef _WIN32
  // The build runs on Linux; under Wine its files are on drive Z:.
  const fs::path program = fs::u8path(exe.front() == '/' ? "Z:" + exe : exe);
  const std::wstring command = L"cd /d \"" + folder.wstring() + L"\" && \"" +
                               program.lexically_normal().wstring() + L"\" <NUL";
  // Wine now and then fails to start the command shell (once in CI; never in
  // some hundreds of starts here): the program under test has not run then,
  // so another try hides nothing of it.
  FILE* pipe = nullptr;
  for (int tries = 0; pipe == nullptr && tries < 3; ++tries) {
    if (tries > 0) Sleep(500);
    pipe = _wpopen(command.c_str(), L"rt");  // CR LF read as LF
  }
#else
  const std::string command =
      "cd '" + folder.u8string() + "' && '" + exe + "' </dev/null";
  FILE* pipe = popen(command.c_str(), "r");
#endif
  if (pipe == nullptr)
    throw std::runtime_error("cannot start " + exe + ": " + std::strerror(errno));
  std::string output;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.append(buffer, n);
#ifdef _WIN32
  const int status = _pclose(pipe);
#else
  const int status = pclose(pipe);
#endif
  // The tool always ends with status 0.
  if (status != 0) output += "<status " + std::to_string(status) + ">";
  return output;
}

}  // namespace test
