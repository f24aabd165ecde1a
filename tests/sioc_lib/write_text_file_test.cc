#include "sioc_lib/write_text_file.h"

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

#ifndef _WIN32
// Temporaries left by runs ended by force go once they are an hour old; a
// younger one may be a live run's and stays. Links planted at the temporary
// names are never followed nor removed. Here every name is taken but ~trv00,
// which a temporary 61 minutes old holds.
TEST(WriteTextFileTest, TakesOnlyFreeOrStaleTemporaryNames) {
  const test::TempDir dir;
  const auto name = [&](int n) {
    return dir.path() / ((n < 10 ? "~trv0" : "~trv") + std::to_string(n) + ".tmp");
  };
  test::writeBytes(dir.path() / "victim", "precious");
  for (int n = 1; n < 99; ++n) std::filesystem::create_symlink("victim", name(n));
  for (int n : {0, 99}) test::writeBytes(name(n), "left");
  const auto now = std::filesystem::file_time_type::clock::now();
  std::filesystem::last_write_time(name(0), now - std::chrono::minutes(61));
  std::filesystem::last_write_time(name(99), now - std::chrono::minutes(59));
  writeTextFile({"new"}, dir.path() / "sioc.ini");
  EXPECT_EQ(test::readBytes(dir.path() / "victim"), "precious");
  EXPECT_EQ(test::readBytes(name(99)), "left");
  EXPECT_EQ(test::filesBelow(dir.path()).size(), 101u);  // 98 links, 99, victim, sioc.ini
}
#endif

}  // namespace
