#include "sioc_lib/txt_file.h"

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

using sioc_lib::LineList;

TEST(TxtFileReaderTest, LinesFromBytes) {
  const struct {
    std::string bytes;
    LineList lines;
  } cases[] = {
      {"", {}},
      {"\r\n", {""}},
      {"\n", {""}},
      {"a\r\nb", {"a", "b"}},
      {"a\n\nb\n", {"a", "", "b"}},
      {"a\rb\r\n", {"a\rb"}},    // a bare CR is data
      {"a\r", {"a\r"}},          // so is a CR at the very end
      {"a\r\r\n", {"a\r"}},      // only the CR before the LF is dropped
      {"x\x1Ay\n", {"x\x1Ay"}},  // Ctrl-Z is no end of file
      {std::string("n\0ul\n", 5), {std::string("n\0ul", 4)}},
      {"\xC3\xA9\xFF\n", {"\xC3\xA9\xFF"}},
  };
  test::TempDir dir;
  for (const auto& c : cases) {
    test::writeBytes(dir / "in.txt", c.bytes);
    sioc_lib::TxtFileReader reader;
    ASSERT_TRUE(reader.open(dir / "in.txt", false));
    LineList lines;
    EXPECT_TRUE(reader.readLines(lines));
    EXPECT_EQ(lines, c.lines) << testing::PrintToString(c.bytes);
  }
}

TEST(TxtFileReaderTest, AppendsAndRereads) {
  test::TempDir dir;
  test::writeBytes(dir / "in.txt", "a\r\nb\r\n");
  sioc_lib::TxtFileReader reader;
  ASSERT_TRUE(reader.open(dir / "in.txt", false));
  LineList lines = {"kept"};
  EXPECT_TRUE(reader.readLines(lines));
  EXPECT_TRUE(reader.readLines(lines));
  EXPECT_EQ(lines, (LineList{"kept", "a", "b", "a", "b"}));
}

TEST(TxtFileReaderTest, OpenFailsForMissingFileAndFolder) {
  test::TempDir dir;
  std::filesystem::create_directory(dir / "folder");
  for (const char* name : {"missing.txt", "folder", "nofolder/x.txt"}) {
    sioc_lib::TxtFileReader reader;
    EXPECT_FALSE(reader.open(dir / name, false)) << name;
    LineList lines;
    EXPECT_TRUE(reader.readLines(lines));
    EXPECT_TRUE(lines.empty()) << name;
  }
  // A failed open leaves the reader usable.
  sioc_lib::TxtFileReader reader;
  EXPECT_FALSE(reader.open(dir / "missing.txt", false));
  test::writeBytes(dir / "late.txt", "z");
  ASSERT_TRUE(reader.open(dir / "late.txt", false));
  LineList lines;
  EXPECT_TRUE(reader.readLines(lines));
  EXPECT_EQ(lines, LineList{"z"});
}

TEST(TxtFileWriterTest, BytesFromLines) {
  const struct {
    LineList lines;
    std::string bytes;
  } cases[] = {
      {{}, ""},
      {{"x", ""}, "x\r\n\r\n"},
      {{"a\nb"}, "a\r\nb\r\n"},
      {{"\n[MASTERS]"}, "\r\n[MASTERS]\r\n"},
      {{"tab\there", "\xFF"}, "tab\there\r\n\xFF\r\n"},
      {{std::string("\0", 1)}, std::string("\0\r\n", 3)},
  };
  test::TempDir dir;
  for (const auto& c : cases) {
    sioc_lib::TxtFileWriter writer;
    ASSERT_TRUE(writer.open(dir / "out.txt", false));
    writer.writeLines(c.lines);
    EXPECT_TRUE(writer.close());
    EXPECT_EQ(test::readBytes(dir / "out.txt"), c.bytes)
        << testing::PrintToString(c.lines);
  }
}

}  // namespace
