#include "sioc_lib/write_text_file.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "sioc_lib/path_text.h"
#include "sioc_lib/replace_file.h"
#include "test_util.h"

#ifdef _WIN32
#include <windows.h>

#include <thread>
#endif

namespace {

#ifndef _WIN32
// Links planted where this process puts its temporaries are never followed
// nor removed: after a hundred names taken the write fails, with fewer it
// takes the next free name.
TEST(WriteTextFileTest, NeverFollowsALinkAtATemporaryName) {
  const test::TempDir dir;
  const auto file = dir.path() / "sioc.ini";
  test::writeBytes(dir.path() / "victim", "precious");
  const auto name = [&](int n) {
    return file.u8string() + ".trv_setup-" + std::to_string(sioc_lib::processId()) + "-" +
           std::to_string(n) + ".new";
  };
  for (int n = 0; n < 200; ++n) std::filesystem::create_symlink("victim", name(n));
  const test::CoutCapture quiet;
  EXPECT_THROW(writeTextFile({"new"}, file), std::runtime_error);
  EXPECT_EQ(test::filesBelow(dir.path()).size(), 201u);
  for (int n = 100; n < 200; ++n) std::filesystem::remove(name(n));
  writeTextFile({"new"}, file);
  EXPECT_EQ(test::readBytes(dir.path() / "victim"), "precious");
  EXPECT_EQ(test::readBytes(file), "new\r\n");
  EXPECT_EQ(test::filesBelow(dir.path()).size(), 102u);
}
#else
// A file held briefly (a virus scanner) is waited for; one held for good
// stays as it was.
TEST(WriteTextFileTest, FileHeldByAnotherProgram) {
  for (const bool releasedSoon : {true, false}) {
    const test::TempDir dir;
    const auto file = dir.path() / "sioc.ini";
    test::writeBytes(file, "old\r\n");
    HANDLE held =
        CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread releaser([&] {
      if (releasedSoon) std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (releasedSoon) CloseHandle(held);
    });
    std::string failure;
    try {
      const test::CoutCapture quiet;
      writeTextFile({"new"}, file);
    } catch (const std::runtime_error& e) {
      failure = e.what();
    }
    releaser.join();
    if (!releasedSoon) CloseHandle(held);
    EXPECT_EQ(failure,
              releasedSoon ? "" : "Failed to create " + sioc_lib::windowsForm(file));
    EXPECT_EQ(test::readBytes(file), releasedSoon ? "new\r\n" : "old\r\n");
    EXPECT_EQ(test::filesBelow(dir.path()).size(), 1u);
  }
}
#endif

}  // namespace
