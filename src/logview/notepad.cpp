// Starting Notepad on a file, elevated when User Account Control is on.
#include "logview/notepad.h"

namespace {

const char kPolicyKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

std::string SystemDirectory() {
  char path[MAX_PATH] = "";
  GetSystemDirectoryA(path, MAX_PATH);
  return path;
}

// Posts WM_CLOSE to the Notepad window showing the file, when one is open.
void CloseNotepadWindow(const std::string& path) {
  size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return;
  std::string title = path.substr(slash + 1) + " - Notepad";
  if (HWND window = FindWindowA(nullptr, title.c_str())) PostMessageA(window, WM_CLOSE, 0, 0);
}

}  // namespace

bool IsUacEnabled() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPolicyKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD value = 0, size = sizeof value;
  bool on = RegQueryValueExA(key, "EnableLUA", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) ==
                ERROR_SUCCESS &&
            value != 0;
  RegCloseKey(key);
  return on;
}

CNotepad::CNotepad() : runner_([](SHELLEXECUTEINFOA* info) { return ShellExecuteExA(info); }) {}

CNotepad::~CNotepad() {
  for (const std::string& path : tempFiles_) {
    CloseNotepadWindow(path);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  }
  tempFiles_.clear();
}

DWORD CNotepad::Launch(const std::string& path, HWND owner) {
  if (notepadPath_.empty()) notepadPath_ = SystemDirectory() + "\\notepad.exe";
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.hwnd = owner;
  info.lpVerb = IsUacEnabled() ? "runas" : "open";
  info.lpFile = notepadPath_.c_str();
  info.lpParameters = path.c_str();
  info.nShow = SW_SHOW;
  return runner_(&info) ? 0 : GetLastError();
}
