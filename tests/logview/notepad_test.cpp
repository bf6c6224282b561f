// The Notepad launcher: verb by the UAC policy, the unquoted command line, temporary files.
#include "logview/notepad.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/registry_sandbox.h"

namespace {

const char kPolicyKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

struct Call {
  std::string verb, file, parameters;
  HWND owner = nullptr;
  int show = 0;
};

CNotepad RecordingNotepad(Call* call, BOOL result = TRUE, DWORD error = 0) {
  return CNotepad([=](SHELLEXECUTEINFOA* info) {
    *call = {info->lpVerb, info->lpFile, info->lpParameters, info->hwnd, info->nShow};
    SetLastError(error);
    return result;
  });
}

std::string SystemNotepad() {
  char path[MAX_PATH];
  GetSystemDirectoryA(path, MAX_PATH);
  return std::string(path) + "\\notepad.exe";
}

TEST(Notepad, VerbFollowsTheUacPolicy) {
  CRegistrySandbox sandbox;
  const struct {
    bool present;
    DWORD value;
    const char* verb;
  } cases[] = {{false, 0, "open"}, {true, 0, "open"}, {true, 1, "runas"}};
  for (const auto& c : cases) {
    if (c.present) SetDwordValue(kPolicyKey, "EnableLUA", c.value);
    Call call;
    CNotepad notepad = RecordingNotepad(&call);
    HWND owner = GetDesktopWindow();
    EXPECT_EQ(notepad.Launch("C:\\Logs\\my service.log", owner), 0u);
    EXPECT_EQ(call.verb, c.verb) << c.present << c.value;
    EXPECT_EQ(call.file, SystemNotepad());
    EXPECT_EQ(call.parameters, "C:\\Logs\\my service.log");  // unquoted, spaces and all
    EXPECT_EQ(call.owner, owner);
    EXPECT_EQ(call.show, SW_SHOW);
  }
}

TEST(Notepad, FailedShellCallGivesItsCode) {
  Call call;
  CNotepad notepad = RecordingNotepad(&call, FALSE, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(notepad.Launch("x.txt", nullptr), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(Notepad, TemporaryFilesAreDeletedEvenWhenReadOnly) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string path = std::string(temp) + "ovmon-notepad-" + std::to_string(GetCurrentProcessId()) + ".txt";
  std::ofstream(path) << "text";
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  {
    Call call;
    CNotepad notepad = RecordingNotepad(&call);
    notepad.AddTempFile(path);
  }
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
  { CNotepad empty; }  // an empty list does nothing
}

}  // namespace

namespace {

HWND WaitForWindow(const std::string& title, bool present) {
  for (int i = 0; i < 500; ++i) {
    HWND window = FindWindowA(nullptr, title.c_str());
    if ((window != nullptr) == present) return window;
    Sleep(10);
  }
  return FindWindowA(nullptr, title.c_str());
}

TEST(Notepad, RealNotepadOpensTheFileAndClosesWithTheObject) {
  CRegistrySandbox sandbox;  // no UAC policy: the "open" verb
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string name = "ovmon notes " + std::to_string(GetCurrentProcessId()) + ".txt";
  std::string path = std::string(temp) + name;
  std::ofstream(path) << "detail";
  {
    CNotepad notepad;
    ASSERT_EQ(notepad.Launch(path, nullptr), 0u);
    ASSERT_NE(WaitForWindow(name + " - Notepad", true), nullptr);
    notepad.AddTempFile(path);
  }
  EXPECT_EQ(WaitForWindow(name + " - Notepad", false), nullptr);
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
