// Running a test again in a child process at another DPI, and the per-user value it changes.
#include "support/dpi_child.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

const char kDesktopKey[] = "Control Panel\\Desktop";
const char kDpiVariable[] = "OVMON_TEST_DPI";
const char kReadyVariable[] = "OVMON_TEST_DPI_READY";
const DWORD kStartLimitMs = 60000;

// A DWORD of the user's key set for a while: the value found is put back (or removed) on scope exit.
class CSavedUserDword {
 public:
  CSavedUserDword(const char* keyPath, const char* name) : name_(name) {
    RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
    DWORD size = sizeof old_;
    had_ = RegQueryValueExA(key_, name_, nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) == ERROR_SUCCESS;
  }
  ~CSavedUserDword() {
    if (had_)
      Set(old_);
    else
      RegDeleteValueA(key_, name_);
    RegCloseKey(key_);
  }
  CSavedUserDword(const CSavedUserDword&) = delete;
  CSavedUserDword& operator=(const CSavedUserDword&) = delete;

  void Set(DWORD value) { RegSetValueExA(key_, name_, 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value); }

 private:
  const char* name_;
  HKEY key_ = nullptr;
  DWORD old_ = 0;
  bool had_ = false;
};

// A child takes its DPI before anything else and tells the parent, which puts LogPixels back.
class CChildStart : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* ready = std::getenv(kReadyVariable);
    if (!ChildDpi() || !ready) return;
    HDC screen = GetDC(nullptr);
    GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, ready);
    if (event) SetEvent(event), CloseHandle(event);
  }
};
::testing::Environment* const g_childStart = ::testing::AddGlobalTestEnvironment(new CChildStart);

// Starts this program on the tests that match filter, with LogPixels at dpi until it has taken it.
bool StartChild(int dpi, const std::string& filter, PROCESS_INFORMATION* child) {
  std::string ready = "ovmon-dpi-ready-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(dpi);
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, ready.c_str());
  SetEnvironmentVariableA(kDpiVariable, std::to_string(dpi).c_str());
  SetEnvironmentVariableA(kReadyVariable, ready.c_str());
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = std::string("\"") + self + "\" --gtest_filter=" + filter;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  bool started = false;
  {
    CSavedUserDword logPixels(kDesktopKey, "LogPixels");
    logPixels.Set(static_cast<DWORD>(dpi));
    started = CreateProcessA(self, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, child);
    HANDLE taken[2] = {event, child->hProcess};
    if (started) WaitForMultipleObjects(2, taken, FALSE, kStartLimitMs);
  }
  SetEnvironmentVariableA(kDpiVariable, nullptr);
  SetEnvironmentVariableA(kReadyVariable, nullptr);
  CloseHandle(event);
  return started;
}

}  // namespace

int ChildDpi() {
  const char* dpi = std::getenv(kDpiVariable);
  return dpi ? std::atoi(dpi) : 0;
}

DWORD RunChildAt(int dpi, const std::string& filter, DWORD limitMs) {
  PROCESS_INFORMATION child = {};
  if (!StartChild(dpi, filter, &child)) return 2;
  if (WaitForSingleObject(child.hProcess, limitMs) != WAIT_OBJECT_0) TerminateProcess(child.hProcess, 3);
  DWORD exitCode = 1;
  GetExitCodeProcess(child.hProcess, &exitCode);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  return exitCode;
}
