#include "test_util.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "app/globals.h"
#include "detect/hid_search.h"
#include "detect/modules.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

namespace test {

const std::string kBanner =
    "=================================================================\n"
    " Detect and setup OC Modules for Vorlan and Kesmira, version 1.0\n\n"
    "=================================================================\n";
const std::string kPrompt = "\nPress <Return> or <Enter> to close this window ...";

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  for (;;) {
    path_ = fs::temp_directory_path() /
            ("trv_test_" + std::to_string(random()) + "_" + std::to_string(counter++));
    if (fs::create_directory(path_)) break;
  }
  path_ = fs::canonical(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests may leave read-only folders behind; open them up before removing.
  for (auto it = fs::recursive_directory_iterator(path_, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(path_, ec);
}

fs::path TempDir::operator/(const std::string& relative) const {
  return path_ / fs::u8path(relative);
}

void writeBytes(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.u8string());
}

std::optional<std::string> readBytes(const fs::path& file) {
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string((std::istreambuf_iterator<char>(in)),
                     std::istreambuf_iterator<char>());
}

std::vector<std::string> listFiles(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_directory()) {
      names.push_back(fs::relative(entry.path(), folder).generic_u8string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

CoutCapture::CoutCapture() : previous_(std::cout.rdbuf(captured_.rdbuf())) {}
CoutCapture::~CoutCapture() { std::cout.rdbuf(previous_); }

HidDeviceRecord board(unsigned product, int deviceNumber, unsigned vendor) {
  char key[64];
  std::snprintf(key, sizeof key, "{745a17a0-74d3-11d0-b6fe-00a0c90f57da}\\%04d",
                deviceNumber);
  char path[128];
  std::snprintf(path, sizeof path,
                "\\\\?\\hid#vid_%04x&pid_%04x#7&1a2b3c4d&0&0000#{4d1e55b2}", vendor,
                product);
  return HidDeviceRecord{std::string(key) + '\0', std::string(path)};
}

void resetToolState() {
  moduleSlots.fill(-1);
  moduleListContent.clear();
  siocIniContent.clear();
  baseFolder.clear();
  hidInterfaceLimit = 1000;
}

void useDevices(const std::vector<HidDeviceRecord>& devices) {
  resetToolState();
  setHidSnapshotSource(
      [devices] { return std::make_unique<HidRecordSnapshot>(devices); });
}

std::string console(const std::string& text) {
#ifdef _WIN32
  std::string result;
  for (char c : text) result += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return result;
#else
  return text;
#endif
}

#ifdef _WIN32

RunResult runProgram(const std::string& exe, const fs::path& folder,
                     const std::optional<std::string>& devices,
                     const std::string& arguments, const std::string& /*shellSetup*/) {
  // The build runs on Linux; under Wine its files are on drive Z:.
  const fs::path program = exe.front() == '/' ? fs::u8path("Z:" + exe) : fs::u8path(exe);
  std::wstring commandLine =
      L"\"" + program.wstring() + L"\" " + fs::u8path(arguments).wstring();

  const fs::path list = folder.parent_path() / "devices.txt";
  if (devices) writeBytes(list, *devices);
  SetEnvironmentVariableW(L"TRV_SETUP_DEVICES", devices ? list.c_str() : nullptr);

  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
    throw std::runtime_error("CreatePipe");
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  HANDLE input = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherit, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                      0, nullptr, folder.c_str(), &startup, &process);
  CloseHandle(writeEnd);
  CloseHandle(input);
  if (!started) {
    CloseHandle(readEnd);
    throw std::runtime_error("CreateProcessW " + program.u8string());
  }
  RunResult result;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0)
    result.output.append(buffer, n);
  CloseHandle(readEnd);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  result.exitCode = static_cast<int>(code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  SetEnvironmentVariableW(L"TRV_SETUP_DEVICES", nullptr);
  if (devices) fs::remove(list);
  return result;
}

#else

namespace {

std::string quoted(const std::string& text) {
  std::string result = "'";
  for (char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return result + "'";
}

}  // namespace

RunResult runProgram(const std::string& exe, const fs::path& folder,
                     const std::optional<std::string>& devices,
                     const std::string& arguments, const std::string& shellSetup) {
  std::string command = shellSetup + " cd " + quoted(folder.u8string()) + " && ";
  const fs::path list = folder.parent_path() / "devices.txt";
  if (devices) {
    writeBytes(list, *devices);
    command += "TRV_SETUP_DEVICES=" + quoted(list.u8string()) + " ";
  }
  command += "exec " + quoted(exe) + " " + arguments + " </dev/null";
  RunResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("popen " + command);
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    result.output.append(buffer, n);
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (devices) fs::remove(list);
  return result;
}

#endif

}  // namespace test
