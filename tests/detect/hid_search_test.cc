#include "detect/hid_search.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <regex>

#include "app/location.h"

namespace {

using namespace std::string_literals;  // "\0" inside a text

// The setup's four rules are plain code that decides as the regular
// expressions they were first written as: held to std::regex over edge cases
// and random texts made of the pieces that matter.
TEST(RulesTest, DecideAsTheirPatterns) {
  const std::regex key(R"(.*\}\\(\d{4}).*$)");
  const std::regex vendor(".+#(vid_0000).+", std::regex::icase);
  const std::regex product(R"(.+pid_(\w{4}).+)", std::regex::icase);
  const std::regex setup(R"(.*\\(TRV_setup)$)", std::regex::icase);
  const std::string pieces[] = {
      "}\\", "\\",   "#",    "vid_0000", "VID_0000",    "vid_000",     "pid_", "PID_",
      "pi",  "0012", "00gz", "zzzz",     "\\TRV_setup", "\\trv_SETUP", "a",    "_",
      "\n",  "\r",   "\0"s,  "\xC3\xA9", "9",           "F",           " ",    "0x"};
  std::mt19937 random(1);
  std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1), length(0, 12);
  for (int i = 0; i < 20000; ++i) {
    std::string text;
    for (size_t n = length(random); n > 0; --n) text += pieces[pick(random)];
    SCOPED_TRACE(testing::PrintToString(text));
    std::smatch match;
    EXPECT_EQ(deviceNumberFromDriverKey(text),
              std::regex_match(text, match, key) ? std::stoi(match.str(1)) : -1);
    EXPECT_EQ(namesOpencockpitsVendor(text), std::regex_match(text, vendor));
    std::optional<unsigned> id;
    if (std::regex_match(text, match, product) &&
        std::isxdigit(static_cast<unsigned char>(match.str(1)[0])) != 0)
      id = static_cast<unsigned>(std::strtoul(match.str(1).c_str(), nullptr, 16));
    EXPECT_EQ(productIdInPath(text), id);
    EXPECT_EQ(namesSetupFolder(text), std::regex_match(text, setup));
  }
}

}  // namespace
