#include "detect/hid_scripted.h"

#include <gtest/gtest.h>

namespace {

TEST(HidScriptedTest, ParsesLines) {
  const std::string z(1, '\0');
  const struct {
    std::string text;
    std::vector<HidDeviceRecord> records;
  } cases[] = {
      {"", {}},
      {"{k}\\0001\tpath1\n", {{"{k}\\0001" + z, "path1"}}},
      {"{k}\\0001\tpath1\r\n{k}\\0002\tpath2",
       {{"{k}\\0001" + z, "path1"}, {"{k}\\0002" + z, "path2"}}},
      {"\tpath\n", {{std::nullopt, "path"}}},
      {"key\t\n", {{"key" + z, std::nullopt}}},
      {"key only\n", {{"key only" + z, std::nullopt}}},
      {"\n\n", {{}, {}}},
      {"k\ta\tb\n", {{"k" + z, "a\tb"}}},
      {std::string(511, 'k') + "\tp", {{std::string(511, 'k') + z, "p"}}},
      {std::string(512, 'k') + "\tp", {{std::nullopt, "p"}}},  // over the key buffer
  };
  for (const auto& c : cases) {
    const auto records = parseScriptedDevices(c.text);
    ASSERT_EQ(records.size(), c.records.size()) << c.text;
    for (size_t i = 0; i < records.size(); ++i) {
      EXPECT_EQ(records[i].driverKey, c.records[i].driverKey) << c.text;
      EXPECT_EQ(records[i].interfacePath, c.records[i].interfacePath) << c.text;
    }
  }
}

}  // namespace
