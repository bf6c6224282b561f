// The pure registry encodings: key paths, booleans and flags.
#include "platform/registry_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(BuildSettingsKeyPath, EachForm) {
  const struct {
    const char* subkey;
    const char* path;
  } cases[] = {
      {"", "Software\\Tallowin\\Orvane Monitor\\Parameters"},
      {"History", "Software\\Tallowin\\Orvane Monitor\\Parameters\\History"},
      {"\\", "Software\\Tallowin\\Orvane Monitor"},
      {"\\Logs and Alerts\\SMTP", "Software\\Tallowin\\Orvane Monitor\\Logs and Alerts\\SMTP"},
      {"\\\\System\\CurrentControlSet\\Control", "System\\CurrentControlSet\\Control"},
  };
  for (const auto& c : cases) EXPECT_EQ(BuildSettingsKeyPath(c.subkey), c.path) << c.subkey;
}

TEST(DecodeRegistryBool, FirstByteRule) {
  const struct {
    std::string bytes;
    bool value;
  } cases[] = {
      {"False", false}, {"false", false}, {"No", false}, {"no", false}, {"0", false},
      {"True", true},   {"true", true},   {"Yes", true}, {"yes", true}, {"1", true},
      {"9", true},      {"x", false},     {"", false},   {" True", false},
      {std::string("\x01\0\0\0", 4), false},  // REG_DWORD 1: not a letter or digit character
      {std::string(16, 'y'), true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DecodeRegistryBool(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size()), c.value)
        << "'" << c.bytes << "'";
}

TEST(ServiceInstalledFlag, NumberAndTextRules) {
  const struct {
    uint32_t number;
    bool value;
  } numbers[] = {{0, false}, {'0', false}, {'F', false}, {'N', false}, {'f', false},
                 {'n', false}, {1, true},    {'T', true},  {0x65757254, true}};
  for (const auto& c : numbers) EXPECT_EQ(DecodeFlagNumber(c.number), c.value) << c.number;
  const struct {
    const char* text;
    bool value;
  } texts[] = {{"True", true}, {"true", true}, {"1", true}, {"yes", true}, {"Yes", true},
               {"False", false}, {"2", false}, {"", false}, {"on", false}};
  for (const auto& c : texts) EXPECT_EQ(DecodeFlagText(c.text), c.value) << c.text;
}

TEST(StringList, DecodeSkipsSpacesAndEmptyItems) {
  const std::string block("  one\0\0two\0   \0three\0\0", 23);
  EXPECT_EQ(DecodeStringList(block.data(), block.size()), (std::vector<std::string>{"one", "two", "three"}));
  const std::string unterminated("a\0b", 3);  // no final terminator: the last item still counts
  EXPECT_EQ(DecodeStringList(unterminated.data(), unterminated.size()), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(DecodeStringList("", 0).empty());
}

TEST(StringList, EncodeStripsAndTerminates) {
  EXPECT_EQ(EncodeStringList({" a", "", "   ", "b c"}), std::string("a\0b c\0\0", 7));
  EXPECT_EQ(EncodeStringList({}), std::string("\0\0", 2));
  EXPECT_EQ(EncodeStringList({"  "}), std::string("\0\0", 2));
}

TEST(NormaliseFolderText, Table) {
  const struct {
    const char* in;
    const char* out;
    bool collapsed;
  } cases[] = {
      {"C:/Data/Monitor", "C:\\Data\\Monitor\\", false},
      {"C:\\Data\\", "C:\\Data\\", false},
      {"C:\\Windows\\system32\\\\OVMonitorData\\", "C:\\Windows\\system32\\OVMonitorData\\", true},
      {"C:\\a\\\\\\b", "C:\\a\\b\\", true},
      {"\\\\server\\share\\data", "\\\\server\\share\\data\\", false},  // network path keeps its pair
      {"//server/share//data", "\\\\server\\share\\data\\", true},
  };
  for (const auto& c : cases) {
    bool collapsed = false;
    EXPECT_EQ(NormaliseFolderText(c.in, &collapsed), c.out) << c.in;
    EXPECT_EQ(collapsed, c.collapsed) << c.in;
  }
}

}  // namespace
