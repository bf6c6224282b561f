// The log viewer's per-user preferences and recent files in the real (sandboxed) HKCU: their
// types as stored, and defaults for values of the wrong type or size.
#include "logview/viewer_preferences.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "logview/recent_files.h"
#include "support/registry_sandbox.h"

namespace {

void SetUserValue(const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kPreferenceKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

void SetUserText(const char* name, const std::string& text) {
  SetUserValue(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

// The type and raw bytes of a stored value (type 0 when missing).
std::pair<DWORD, std::string> UserValue(const char* name) {
  std::wstring key(kPreferenceKeyPath, kPreferenceKeyPath + strlen(kPreferenceKeyPath));
  std::wstring value(name, name + strlen(name));
  DWORD type = 0;
  std::string data(1 << 17, '\0');
  DWORD size = static_cast<DWORD>(data.size());
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, &data[0],
                   &size) != ERROR_SUCCESS)
    return {0, ""};
  data.resize(size);
  return {type, data};
}

// A text with its terminator as the registry keeps it (UTF-16).
std::string Utf16(const std::string& text) {
  std::string bytes;
  for (char c : text + '\0') bytes += std::string{c, '\0'};
  return bytes;
}

class ViewerPreferencesTest : public ::testing::Test {
 protected:
  CUserRegistrySandbox user;
};

TEST_F(ViewerPreferencesTest, NothingStoredGivesTheDefaults) {
  LogViewerPreferences loaded = LoadLogViewerPreferences();
  EXPECT_EQ(loaded.fontFace, "Lucida Console");
  EXPECT_EQ(loaded.fontSize, 9u);
  EXPECT_TRUE(loaded.show.showDate && loaded.show.showTime && loaded.show.showLevel && loaded.show.showColor);
  EXPECT_TRUE(loaded.autoRefresh);
  EXPECT_FALSE(loaded.HasPosition());
}

TEST_F(ViewerPreferencesTest, SavedValuesComeBackWithTheirTypes) {
  LogViewerPreferences saved;
  saved.fontFace = "%FixedFace%";
  saved.fontSize = 12;
  saved.show = {false, true, false, true};
  saved.autoRefresh = false;
  int32_t position[4] = {-5, 40, 640, 480};
  std::copy(position, position + 4, saved.position);
  SaveLogViewerPreferences(saved);
  LogViewerPreferences loaded = LoadLogViewerPreferences();
  EXPECT_EQ(loaded.fontFace, "%FixedFace%");
  EXPECT_EQ(loaded.fontSize, 12u);
  EXPECT_FALSE(loaded.show.showDate);
  EXPECT_TRUE(loaded.show.showTime);
  EXPECT_FALSE(loaded.show.showLevel);
  EXPECT_FALSE(loaded.autoRefresh);
  EXPECT_EQ(std::vector<int32_t>(loaded.position, loaded.position + 4), std::vector<int32_t>(position, position + 4));
  struct Case {
    const char* name;
    DWORD type;
    std::string bytes;
  } stored[] = {
      {"LogView FontFace", REG_EXPAND_SZ, Utf16("%FixedFace%")},
      {"LogView FontSize", REG_DWORD, std::string("\x0C\0\0\0", 4)},
      {"LogView ShowDate", REG_SZ, Utf16("False")},
      {"LogView ShowTime", REG_SZ, Utf16("True")},
      {"LogView Position", REG_BINARY, std::string("\xFB\xFF\xFF\xFF\x28\0\0\0\x80\x02\0\0\xE0\x01\0\0", 16)},
  };
  for (const Case& c : stored) EXPECT_EQ(UserValue(c.name), std::make_pair(c.type, c.bytes)) << c.name;
  saved.fontFace = "Courier New";
  SaveLogViewerPreferences(saved);
  EXPECT_EQ(UserValue("LogView FontFace").first, static_cast<DWORD>(REG_SZ));
}

TEST_F(ViewerPreferencesTest, ValuesOfTheWrongTypeOrSizeKeepTheirDefaults) {
  DWORD number = 11;
  SetUserValue("LogView FontFace", REG_DWORD, &number, sizeof number);
  SetUserText("LogView FontSize", "14");
  SetUserText("LogView ShowDate", "0");                   // the first-byte rule: false
  SetUserValue("LogView ShowTime", REG_BINARY, "N", 1);   // any type: false
  SetUserText("LogView ShowLevel", std::string(40, 'x'));  // longer than 16 bytes: true
  SetUserText("LogView ShowColor", "");                     // no first byte: false
  SetUserValue("LogView Position", REG_BINARY, "\x10\0\0\0\x10\0\0\0\x10\0\0\0", 12);
  LogViewerPreferences loaded = LoadLogViewerPreferences();
  EXPECT_EQ(loaded.fontFace, "Lucida Console");
  EXPECT_EQ(loaded.fontSize, 9u);
  EXPECT_FALSE(loaded.show.showDate);
  EXPECT_FALSE(loaded.show.showTime);
  EXPECT_TRUE(loaded.show.showLevel);
  EXPECT_FALSE(loaded.show.showColor);
  EXPECT_FALSE(loaded.HasPosition());
  SetUserText("LogView FontFace", std::string(300, 'A'));  // no face is this long
  EXPECT_EQ(LoadLogViewerPreferences().fontFace, "Lucida Console");
  // The right size in the wrong type, or the right type in the wrong size.
  SetUserValue("LogView FontSize", REG_BINARY, "\x0C\0\0\0", 4);
  SetUserValue("LogView Position", REG_SZ, "\x10\0\0\0\x10\0\0\0\x10\0\0\0\x10\0\0\0", 16);
  loaded = LoadLogViewerPreferences();
  EXPECT_EQ(loaded.fontSize, 9u);
  EXPECT_FALSE(loaded.HasPosition());
  SetUserValue("LogView FontSize", REG_DWORD, "\x0C\0", 2);
  SetUserValue("LogView Position", REG_BINARY, std::string(20, '\x10').data(), 20);
  loaded = LoadLogViewerPreferences();
  EXPECT_EQ(loaded.fontSize, 9u);
  EXPECT_FALSE(loaded.HasPosition());
}

TEST_F(ViewerPreferencesTest, RecentFilesAreStoredAsUtf16AndLoadedAsAnsi) {
  CMRU saved;
  for (const char* path : {"C:\\Logs\\a.log", "C:\\Logs\\caf\xE9.log", "C:\\LOGS\\A.LOG"}) saved.Add(path);
  saved.Save();
  std::wstring expected = L"C:\\LOGS\\A.LOG";
  expected += L'\0';
  expected += L"C:\\Logs\\caf\x00E9.log";
  expected += std::wstring(2, L'\0');
  auto [type, bytes] = UserValue("LogView MRU");
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(bytes, std::string(reinterpret_cast<const char*>(expected.data()), expected.size() * 2));
  CMRU loaded;
  loaded.Load();
  EXPECT_EQ(loaded.Entries(), (std::vector<std::string>{"C:\\LOGS\\A.LOG", "C:\\Logs\\caf\xE9.log"}));
}

TEST_F(ViewerPreferencesTest, StoredRecentFilesAreBoundedAndTyped) {
  struct Case {
    DWORD type;
    std::wstring block;
    size_t count;
  } cases[] = {
      {REG_MULTI_SZ, std::wstring(L"a\0\0b\0", 5), 2},  // empty strings are skipped
      {REG_SZ, std::wstring(L"a\0", 2), 0},
      {REG_MULTI_SZ, std::wstring(40000, L'x'), 0},  // longer than any list of recent files
      {REG_MULTI_SZ, std::wstring(L"x", 1), 1},      // no terminator
  };
  std::wstring twelve;
  for (int i = 0; i < 12; ++i) twelve += std::to_wstring(i) + L'\0';
  for (const Case& c : cases) {
    SetUserValue("LogView MRU", c.type, c.block.data(), static_cast<DWORD>(c.block.size() * 2));
    CMRU loaded;
    loaded.Load();
    EXPECT_EQ(loaded.Entries().size(), c.count) << c.type << " " << c.block.size();
  }
  SetUserValue("LogView MRU", REG_MULTI_SZ, twelve.data(), static_cast<DWORD>(twelve.size() * 2));
  CMRU loaded;
  loaded.Load();
  EXPECT_EQ(loaded.Entries().size(), CMRU::kMaxCount);
  EXPECT_EQ(loaded.Entries().front(), "0");
}

}  // namespace
