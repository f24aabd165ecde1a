// Helpers shared by the tests: temporary folders, raw file bytes, captured
// console output, a fake device list and runs of the built executables.
#ifndef TRV_TESTS_TEST_UTIL_H_
#define TRV_TESTS_TEST_UTIL_H_

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "detect/hid_snapshot.h"

namespace test {

namespace fs = std::filesystem;

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& relative) const;

 private:
  fs::path path_;
};

void writeBytes(const fs::path& file, const std::string& bytes);
std::optional<std::string> readBytes(const fs::path& file);
// Every file below folder, as relative UTF-8 names.
std::vector<std::string> listFiles(const fs::path& folder);

// Collects what the code under test writes to std::cout.
class CoutCapture {
 public:
  CoutCapture();
  ~CoutCapture();
  CoutCapture(const CoutCapture&) = delete;
  CoutCapture& operator=(const CoutCapture&) = delete;
  std::string text() const { return captured_.str(); }

 private:
  std::ostringstream captured_;
  std::streambuf* previous_;
};

// A board as the platform lists it: vendor 0000 unless told otherwise.
HidDeviceRecord board(unsigned product, int deviceNumber, unsigned vendor = 0);
// Makes every search see these interfaces, and resets the tool's globals.
void useDevices(const std::vector<HidDeviceRecord>& devices);
// Back to the state at start-up: no slots, empty lists, limit 1000.
void resetToolState();

// The banner every run starts with, and the prompt it ends with.
extern const std::string kBanner;
extern const std::string kPrompt;

// What the console shows for text: on Windows in text mode, with CR LF.
std::string console(const std::string& text);

struct RunResult {
  std::string output;
  int exitCode = -1;
};

// Runs an executable in folder with standard input at its end. With a
// devices text, TRV_SETUP_DEVICES names a file beside folder that holds it.
// shellSetup (POSIX only) runs in the shell first, e.g. to set a ulimit.
RunResult runProgram(const std::string& exe, const fs::path& folder,
                     const std::optional<std::string>& devices = std::nullopt,
                     const std::string& arguments = "",
                     const std::string& shellSetup = "");

}  // namespace test

#endif  // TRV_TESTS_TEST_UTIL_H_
