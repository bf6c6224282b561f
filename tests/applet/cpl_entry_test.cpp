// The Control Panel protocol answered by the built ovmon.cpl, loaded as Control Panel loads it.
#include <windows.h>
#include <cpl.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/registry_encoding.h"
#include "support/registry_sandbox.h"

namespace {

using CplEntry = LONG(APIENTRY*)(HWND, UINT, LPARAM, LPARAM);

// The module path as Wine sees it (the build tree lies on drive Z:).
std::string ModulePath() {
  std::string path = std::string("Z:") + OVMON_CPL_PATH;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

class CplEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryA(ModulePath().c_str());
    ASSERT_NE(module_, nullptr) << ModulePath() << " error " << GetLastError();
    entry_ = reinterpret_cast<CplEntry>(reinterpret_cast<void*>(GetProcAddress(module_, "CPlApplet")));
    ASSERT_NE(entry_, nullptr);
  }
  void TearDown() override { FreeLibrary(module_); }
  LONG Send(UINT message, LPARAM param1 = 0, LPARAM param2 = 0) { return entry_(nullptr, message, param1, param2); }

  CRegistrySandbox sandbox_;
  HMODULE module_ = nullptr;
  CplEntry entry_ = nullptr;
};

TEST_F(CplEntryTest, ExportTableHoldsCPlAppletAlone) {
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(module_);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(reinterpret_cast<BYTE*>(module_) + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  auto* exports = reinterpret_cast<IMAGE_EXPORT_DIRECTORY*>(reinterpret_cast<BYTE*>(module_) + dir.VirtualAddress);
  ASSERT_EQ(exports->NumberOfNames, 1u);
  auto* names = reinterpret_cast<DWORD*>(reinterpret_cast<BYTE*>(module_) + exports->AddressOfNames);
  EXPECT_STREQ(reinterpret_cast<const char*>(reinterpret_cast<BYTE*>(module_) + names[0]), "CPlApplet");
}

TEST_F(CplEntryTest, InitOffersTheAppletOnlyWhenTheServiceIsInstalled) {
  const std::string params = BuildSettingsKeyPath("");
  EXPECT_EQ(Send(CPL_INIT), 0);  // missing value hides the applet
  const struct {
    DWORD type;
    std::string data;
    LONG expected;
  } cases[] = {
      {REG_SZ, std::string("True", 5), 1},  {REG_SZ, std::string("False", 6), 0},
      {REG_SZ, std::string("yes", 4), 1},   {REG_DWORD, std::string("\x01\0\0\0", 4), 1},
      {REG_DWORD, std::string("\0\0\0\0", 4), 0},
  };
  for (const auto& c : cases) {
    SetRawValue(params.c_str(), "Service Installed", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
    EXPECT_EQ(Send(CPL_INIT), c.expected) << c.data;
  }
}

TEST_F(CplEntryTest, InquireAndTheOtherMessages) {
  EXPECT_EQ(Send(CPL_GETCOUNT), 1);
  CPLINFO info = {-1, -1, -1, -1};
  EXPECT_EQ(Send(CPL_INQUIRE, 0, reinterpret_cast<LPARAM>(&info)), 0);
  EXPECT_EQ(info.idIcon, 2);
  EXPECT_EQ(info.idName, 3);
  EXPECT_EQ(info.idInfo, 4);
  EXPECT_EQ(info.lData, 0);
  char name[64] = "", text[128] = "";
  LoadStringA(module_, info.idName, name, sizeof name);
  LoadStringA(module_, info.idInfo, text, sizeof text);
  EXPECT_STREQ(name, "Orvane Monitor");
  EXPECT_STREQ(text, "Monitors your clocks and raises alerts as needed");
  EXPECT_NE(LoadIconA(module_, MAKEINTRESOURCEA(2)), nullptr);
  EXPECT_EQ(Send(CPL_STARTWPARMSA, 0, reinterpret_cast<LPARAM>("x")), 0);
  for (UINT message : {UINT(CPL_SELECT), UINT(CPL_STOP), UINT(CPL_EXIT), UINT(CPL_NEWINQUIRE),
                       UINT(CPL_STARTWPARMSW), UINT(0x11223349), UINT(0xFFFFFFFF)})
    EXPECT_EQ(Send(message), 0) << message;
}

TEST_F(CplEntryTest, ManifestsForCommonControlsSix) {
  for (WORD id : {2, 123}) {
    HRSRC manifest = FindResourceA(module_, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(24));
    ASSERT_NE(manifest, nullptr) << id;
    std::string text(static_cast<const char*>(LockResource(LoadResource(module_, manifest))),
                     SizeofResource(module_, manifest));
    EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(text.find("version=\"6.0.0.0\""), std::string::npos);
  }
}

}  // namespace
