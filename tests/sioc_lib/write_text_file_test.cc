#include "sioc_lib/write_text_file.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "sioc_lib/path_text.h"
#include "sioc_lib/replace_file.h"
#include "test_util.h"

namespace {

#ifndef _WIN32
std::string temporary(int n) {
  return "~trv" + std::string(n < 10, '0') + std::to_string(n) + ".tmp";
}

// Links planted at the temporary names are never followed nor removed: with
// all hundred names taken the write fails, with fewer it takes a free one.
TEST(WriteTextFileTest, NeverFollowsALinkAtATemporaryName) {
  const test::TempDir dir;
  const auto file = dir.path() / "sioc.ini";
  test::writeBytes(dir.path() / "victim", "precious");
  for (int n = 0; n < 100; ++n)
    std::filesystem::create_symlink("victim", dir.path() / temporary(n));
  EXPECT_THROW(writeTextFile({"new"}, file), std::runtime_error);
  std::filesystem::remove(dir.path() / temporary(42));
  writeTextFile({"new"}, file);
  EXPECT_EQ(test::readBytes(dir.path() / "victim"), "precious");
  EXPECT_EQ(test::readBytes(file), "new\r\n");
  EXPECT_EQ(test::filesBelow(dir.path()).size(), 101u);
}

// Temporaries left by runs ended by force go once they are an hour old; a
// younger one may be a live run's and stays.
TEST(WriteTextFileTest, RemovesStaleTemporariesOnly) {
  const test::TempDir dir;
  const auto now = std::filesystem::file_time_type::clock::now();
  for (const int minutes : {1, 59, 61, 600}) {
    const auto name = dir.path() / temporary(minutes % 100);
    test::writeBytes(name, "left");
    std::filesystem::last_write_time(name, now - std::chrono::minutes(minutes));
  }
  writeTextFile({"new"}, dir.path() / "sioc.ini");
  std::string names;
  for (const auto& [name, bytes] : test::filesBelow(dir.path())) names += name + " ";
  EXPECT_EQ(names, "sioc.ini ~trv01.tmp ~trv59.tmp ");
}
#endif

}  // namespace
