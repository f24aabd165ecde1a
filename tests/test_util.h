// Helpers shared by the tests: temporary folders, file bytes, captured
// console output, boards written compactly, and runs of the built programs.
#ifndef TRV_TESTS_TEST_UTIL_H_
#define TRV_TESTS_TEST_UTIL_H_

#include <filesystem>
#include <map>
#include <optional>
#include <string>

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

 private:
  fs::path path_;
};

// text with every from in it made to.
std::string replaced(std::string text, const std::string& from, const std::string& to);

void writeBytes(const fs::path& file, const std::string& bytes);
// Every file below folder by its relative name, with its bytes.
std::map<std::string, std::string> filesBelow(const fs::path& folder);

// Boards as "kind:number" words: efis, mcp, mcpv3, atc, fmc, fmcv3, chrono,
// comm (product 13) or comm8, or a product id in hex ("0017:8"); another
// vendor in hex before a slash ("046d/fmc:1"). Gives TRV_SETUP_DEVICES lines.
std::string boards(const std::string& words);
// Resets the tool's globals and makes every search see the boards of these
// words.
void useDevices(const std::string& words);

// The programs started next read these TRV_SETUP_DEVICES lines, kept in
// folder's devices.txt.
void useDeviceList(const fs::path& folder, const std::string& lines);

#ifdef _WIN32
// The boards of test::boards words written into Wine's registry, where its
// setup API reads the devices of the shipped programs, listed after Wine's own
// devices; "-" before a word: unplugged; a number "none": no driver key.
// Taken out again at the end.
class PluggedBoards {
 public:
  explicit PluggedBoards(const std::string& words);
  ~PluggedBoards();
  PluggedBoards(const PluggedBoards&) = delete;
  PluggedBoards& operator=(const PluggedBoards&) = delete;
};
#endif

// Runs exe in folder with standard input at its end. Gives what it printed.
std::string runProgram(const std::string& exe, const fs::path& folder);

}  // namespace test

#endif  // TRV_TESTS_TEST_UTIL_H_
