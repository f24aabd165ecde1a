#include "sioc_lib/write_text_file.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "sioc_lib/path_text.h"
#include "test_util.h"

#ifdef _WIN32
#include <windows.h>

#include <thread>
#endif

namespace {

using sioc_lib::LineList;

std::string failureOf(const LineList& lines, const std::filesystem::path& file) {
  try {
    writeTextFile(lines, file);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "no failure";
}

TEST(WriteTextFileTest, ReplacesEarlierFileAndReports) {
  test::TempDir dir;
  const auto file = dir / "sioc.ini";
  for (const auto& [earlier, lines, bytes] :
       {std::tuple<std::string, LineList, std::string>{
            "long old text\r\nmore\r\n", {"new"}, "new\r\n"},
        {"", {}, ""},
        {"old", {"a", "b"}, "a\r\nb\r\n"}}) {
    test::writeBytes(file, earlier);
    test::CoutCapture out;
    writeTextFile(lines, file);
    EXPECT_EQ(test::readBytes(file), bytes);
    EXPECT_EQ(out.text(), sioc_lib::windowsForm(file) + " created.\n");
  }
  EXPECT_EQ(test::listFiles(dir.path()), std::vector<std::string>{"sioc.ini"});
}

TEST(WriteTextFileTest, FailuresKeepEverything) {
  test::TempDir dir;
  std::filesystem::create_directories(dir / "folder/inner");
  test::writeBytes(dir / "folder/inner/keep.txt", "kept");
  for (const char* name : {"missing/sioc.ini", "folder"}) {
    const auto file = dir / name;
    test::CoutCapture out;
    EXPECT_EQ(failureOf({"x"}, file), "Failed to create " + sioc_lib::windowsForm(file));
    EXPECT_EQ(out.text(), "");
  }
  EXPECT_EQ(test::listFiles(dir.path()),
            std::vector<std::string>{"folder/inner/keep.txt"});
}

#ifdef _WIN32
// Holds a file open without sharing, as a virus scanner or an editor may.
class FileHolder {
 public:
  explicit FileHolder(const std::filesystem::path& file)
      : handle_(CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                            nullptr)) {}
  ~FileHolder() { release(); }
  FileHolder(const FileHolder&) = delete;
  FileHolder& operator=(const FileHolder&) = delete;
  bool holding() const { return handle_ != INVALID_HANDLE_VALUE; }
  void release() {
    if (holding()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

// A file held briefly is waited for; one held for good stays as it was.
TEST(WriteTextFileTest, FileHeldByAnotherProgram) {
  const struct {
    bool releasedSoon;
    const char* after;
  } cases[] = {{true, "new\r\n"}, {false, "old\r\n"}};
  for (const auto& c : cases) {
    test::TempDir dir;
    const auto file = dir / "sioc.ini";
    test::writeBytes(file, "old\r\n");
    std::string failure;
    {
      FileHolder holder(file);
      ASSERT_TRUE(holder.holding());
      std::thread releaser([&] {
        if (!c.releasedSoon) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        holder.release();
      });
      test::CoutCapture out;
      failure = failureOf({"new"}, file);
      releaser.join();
    }
    EXPECT_EQ(failure, c.releasedSoon
                           ? std::string("no failure")
                           : "Failed to create " + sioc_lib::windowsForm(file));
    EXPECT_EQ(test::readBytes(file), c.after);
    EXPECT_EQ(test::listFiles(dir.path()), std::vector<std::string>{"sioc.ini"});
  }
}
#endif

}  // namespace
