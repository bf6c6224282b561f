// The registry primitives against the real (Wine) registry, HKLM mapped onto a private key.
#include "platform/registry.h"

#include <gtest/gtest.h>

#include "platform/registry_encoding.h"
#include "support/registry_sandbox.h"

namespace {

const char kSub[] = "Cases";

class RegistryTest : public ::testing::Test {
 protected:
  std::string Path() const { return BuildSettingsKeyPath(kSub); }
  void Raw(const char* name, DWORD type, const std::string& data) {
    SetRawValue(Path().c_str(), name, type, data.data(), static_cast<DWORD>(data.size()));
  }
  CRegistrySandbox sandbox_;
};

TEST_F(RegistryTest, BoolCases) {
  const struct {
    DWORD type;
    std::string data;
    bool fallback;
    bool expected;
  } cases[] = {
      {REG_SZ, std::string("True", 5), false, true},
      {REG_SZ, std::string("False", 6), true, false},
      {REG_SZ, std::string("yes", 4), false, true},
      {REG_SZ, std::string("no", 3), true, false},
      {REG_SZ, std::string("7", 2), false, true},
      {REG_SZ, std::string("?", 2), true, false},
      {REG_DWORD, std::string("\x01\0\0\0", 4), true, false},  // first byte 0x01 is no letter or digit
      {REG_BINARY, std::string(16, 'T'), false, true},
      {REG_BINARY, std::string(16, 'F'), true, false},
      {REG_BINARY, std::string(17, 'F'), false, true},  // longer than 16 bytes reads as true
      {REG_SZ, std::string(), true, false},              // empty value: no first byte
  };
  for (const auto& c : cases) {
    Raw("Flag", c.type, c.data);
    EXPECT_EQ(ReadRegistryBool(kSub, "Flag", c.fallback), c.expected) << c.data << " type " << c.type;
  }
  for (const char* letters : {"Ff", "Nn", "Tt", "Yy", "0123456789"}) {
    for (const char* p = letters; *p; ++p) {
      Raw("Flag", REG_SZ, std::string(1, *p) + "xyz");
      bool expected = !(*p == 'F' || *p == 'f' || *p == 'N' || *p == 'n' || *p == '0');
      EXPECT_EQ(ReadRegistryBool(kSub, "Flag", !expected), expected) << *p;
    }
  }
  EXPECT_TRUE(ReadRegistryBool(kSub, "Missing", true));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(ReadRegistryBool("NoSuchKey", "Flag", false));
}

TEST_F(RegistryTest, DwordCases) {
  Raw("N", REG_DWORD, std::string("\x2A\0\0\0", 4));
  EXPECT_EQ(ReadRegistryDword(kSub, "N", 7), 42u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  Raw("N", REG_BINARY, std::string("\x01\x02\x03\x04", 4));  // no type check
  EXPECT_EQ(ReadRegistryDword(kSub, "N", 7), 0x04030201u);
  Raw("N", REG_QWORD, std::string(8, '\x01'));  // longer than 4 bytes: default
  EXPECT_EQ(ReadRegistryDword(kSub, "N", 7), 7u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(ReadRegistryDword(kSub, "Missing", 9), 9u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(ReadRegistryDword("NoSuchKey", "N", 5), 5u);
}

TEST_F(RegistryTest, StringCases) {
  Raw("S", REG_SZ, std::string("hello", 6));
  EXPECT_EQ(ReadRegistryString(kSub, "S", "d"), "hello");
  Raw("S", REG_BINARY, "raw");  // any type, no terminator stored
  EXPECT_EQ(ReadRegistryString(kSub, "S", "d"), "raw");
  Raw("S", REG_SZ, std::string("", 1));
  EXPECT_EQ(ReadRegistryString(kSub, "S", "d"), "");
  Raw("S", REG_SZ, std::string(299, 'x') + '\0');
  EXPECT_EQ(ReadRegistryString(kSub, "S", "d", 260), "d");  // oversized: default
  EXPECT_EQ(ReadRegistryString(kSub, "S", "d", 300), std::string(299, 'x'));
  EXPECT_EQ(ReadRegistryString(kSub, "Missing", "d"), "d");
}

// A value longer than the reader allows is not read at all, whatever it holds.
TEST_F(RegistryTest, BinaryReadsAreBounded) {
  struct Case {
    size_t bytes;
    size_t maxBytes;
    bool read;
  } cases[] = {{432, 432, true},
               {433, 432, false},
               {0, 432, true},
               {kMaxRegistryValueBytes, kMaxRegistryValueBytes, true},
               {kMaxRegistryValueBytes + 1, kMaxRegistryValueBytes, false}};
  for (const Case& c : cases) {
    Raw("B", REG_BINARY, std::string(c.bytes, 'b'));
    std::string data = "stale";
    EXPECT_EQ(ReadRegistryBinary(kSub, "B", &data, nullptr, c.maxBytes), c.read) << c.bytes;
    EXPECT_EQ(data, c.read ? std::string(c.bytes, 'b') : std::string()) << c.bytes;
  }
}

TEST_F(RegistryTest, ListCases) {
  std::vector<std::string> items{"stale"};
  Raw("L", REG_MULTI_SZ, std::string(" a\0\0b\0\0", 7));
  EXPECT_TRUE(ReadRegistryList(kSub, "L", &items));
  EXPECT_EQ(items, (std::vector<std::string>{"a", "b"}));
  Raw("L", REG_MULTI_SZ, std::string("a\0b", 3));  // without its final terminator
  EXPECT_TRUE(ReadRegistryList(kSub, "L", &items));
  EXPECT_EQ(items, (std::vector<std::string>{"a", "b"}));
  EXPECT_FALSE(ReadRegistryList(kSub, "Missing", &items));
  EXPECT_TRUE(items.empty());

  WriteRegistryList(kSub, "W", {" x", "", "y"});
  DWORD type = 0;
  std::string data;
  ASSERT_TRUE(GetRawValue(Path().c_str(), "W", &type, &data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(data, std::string("x\0y\0\0", 5));
  WriteRegistryList(kSub, "W", {});
  ASSERT_TRUE(GetRawValue(Path().c_str(), "W", &type, &data));
  EXPECT_EQ(data, std::string("\0\0", 2));
}

TEST_F(RegistryTest, FlagCases) {
  const struct {
    DWORD type;
    std::string data;
    bool expected;
  } cases[] = {
      {REG_DWORD, std::string("\x01\0\0\0", 4), true},  {REG_DWORD, std::string("\0\0\0\0", 4), false},
      {REG_DWORD, std::string("0\0\0\0", 4), false},     {REG_DWORD, std::string("n\0\0\0", 4), false},
      {REG_SZ, std::string("True", 5), true},            {REG_SZ, std::string("False", 6), false},
      {REG_SZ, std::string("yes", 4), true},             {REG_SZ, std::string("1", 2), true},
      {REG_SZ, std::string("T", 2), true},               {REG_SZ, std::string("F", 2), false},
      {REG_SZ, std::string("Nope", 5), false},
      // Short texts are texts, not numbers made of their bytes.
      {REG_SZ, std::string("No", 3), false},             {REG_SZ, std::string("n", 2), false},
      {REG_EXPAND_SZ, std::string("No", 3), false},      {REG_SZ, std::string("Y", 2), true},
      {REG_SZ, std::string("", 1), false},               {REG_BINARY, std::string("\x01", 1), true},
  };
  for (const auto& c : cases) {
    Raw("Service Installed", c.type, c.data);
    EXPECT_EQ(ReadRegistryFlag(kSub, "Service Installed", !c.expected), c.expected) << c.data;
  }
  EXPECT_TRUE(ReadRegistryFlag(kSub, "Missing", true));
  EXPECT_FALSE(ReadRegistryFlag(kSub, "Missing", false));
}

TEST_F(RegistryTest, WritersAndDeletion) {
  WriteRegistryBool(kSub, "B", true);
  DWORD type = 0;
  std::string data;
  ASSERT_TRUE(GetRawValue(Path().c_str(), "B", &type, &data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(data, std::string("True", 5));
  WriteRegistryBool(kSub, "B", false);
  ASSERT_TRUE(GetRawValue(Path().c_str(), "B", &type, &data));
  EXPECT_EQ(data, std::string("False", 6));
  WriteRegistryString(kSub, "S", "");
  ASSERT_TRUE(GetRawValue(Path().c_str(), "S", &type, &data));
  EXPECT_EQ(data, std::string(1, '\0'));
  EXPECT_TRUE(WriteRegistryValue(kSub, "S", REG_BINARY, nullptr, 0));  // no data deletes
  EXPECT_FALSE(RegistryValueExists(kSub, "S"));
  EXPECT_FALSE(DeleteRegistryValue("Absent", "S"));
  EXPECT_FALSE(KeyExists(BuildSettingsKeyPath("Absent").c_str()));  // deleting never creates keys
}

// A key opened for reading that is not there reads as missing and takes no write: nothing is created.
TEST_F(RegistryTest, AKeyThatDidNotOpenReadsAsMissingAndIgnoresWrites) {
  CRegistryKey key(HKEY_LOCAL_MACHINE, Path(), CRegistryKey::Access::kRead);
  EXPECT_EQ(key.Result(), ERROR_FILE_NOT_FOUND);
  std::string text = "kept";
  uint32_t number = 7;
  std::vector<std::wstring> items;
  EXPECT_FALSE(key.ReadText("T", 64, &text));
  EXPECT_FALSE(key.ReadDword("N", &number));
  EXPECT_FALSE(key.ReadWideList("L", 1024, &items));
  EXPECT_TRUE(key.ReadBool("B", true));
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(number, 7u);
  EXPECT_TRUE(items.empty());
  EXPECT_NE(key.WriteDword("N", 1), ERROR_SUCCESS);
  EXPECT_NE(key.WriteWideList("L", {L"a"}), ERROR_SUCCESS);
  EXPECT_FALSE(KeyExists(Path().c_str()));
}

// Texts, numbers and UTF-16 lists come back as written, each read bounded and typed.
TEST_F(RegistryTest, AnOpenKeyReadsBackWhatItWrote) {
  CRegistryKey key(HKEY_LOCAL_MACHINE, Path(), CRegistryKey::Access::kCreate);
  ASSERT_EQ(key.Result(), ERROR_SUCCESS);
  EXPECT_EQ(key.WriteText("T", "%Face%", REG_EXPAND_SZ), ERROR_SUCCESS);
  EXPECT_EQ(key.WriteDword("N", 42), ERROR_SUCCESS);
  EXPECT_EQ(key.WriteBool("B", false), ERROR_SUCCESS);
  EXPECT_EQ(key.WriteWideList("L", {L"one", L"", L"two"}), ERROR_SUCCESS);
  std::string text;
  uint32_t number = 0;
  std::vector<std::wstring> items;
  EXPECT_TRUE(key.ReadText("T", 64, &text));
  EXPECT_EQ(text, "%Face%");
  EXPECT_FALSE(key.ReadText("T", 3, &text)) << "longer than the bound";
  EXPECT_FALSE(key.ReadText("N", 64, &text)) << "a number is no text";
  EXPECT_TRUE(key.ReadDword("N", &number));
  EXPECT_EQ(number, 42u);
  EXPECT_FALSE(key.ReadDword("T", &number)) << "a text is no number";
  EXPECT_FALSE(key.ReadBool("B", true));
  EXPECT_TRUE(key.ReadWideList("L", 1024, &items));
  EXPECT_EQ(items, (std::vector<std::wstring>{L"one", L"two"}));
  items.clear();
  EXPECT_TRUE(key.ReadWideList("L", 18, &items)) << "a bound below the first buffer still reads what fits";
  EXPECT_EQ(items, (std::vector<std::wstring>{L"one", L"two"}));
  items.clear();
  EXPECT_FALSE(key.ReadWideList("L", 16, &items)) << "longer than the bound";
  EXPECT_TRUE(items.empty());
}

}  // namespace
