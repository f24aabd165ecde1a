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
// Links planted where this process will put its temporaries are neither
// followed nor removed.
TEST(WriteTextFileTest, NeverFollowsALinkAtATemporaryName) {
  const test::TempDir dir;
  test::writeBytes(dir.path() / "victim", "precious");
  for (int n = 0; n < 50; ++n) {
    std::filesystem::create_symlink(
        dir.path() / "victim",
        dir.path() / ("sioc.ini.trv_setup-" + std::to_string(sioc_lib::processId()) +
                      "-" + std::to_string(n) + ".new"));
  }
  const test::CoutCapture quiet;
  writeTextFile({"new"}, dir.path() / "sioc.ini");
  EXPECT_EQ(test::readBytes(dir.path() / "victim"), "precious");
  EXPECT_EQ(test::readBytes(dir.path() / "sioc.ini"), "new\r\n");
  EXPECT_EQ(test::filesBelow(dir.path()).size(), 52u);
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
