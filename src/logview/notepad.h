// Opens text files in the system's Notepad, elevated when User Account Control is on.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

class CNotepad {
 public:
  // The shell call that starts a program; ShellExecuteExA unless a test puts another in.
  using ShellRunner = std::function<BOOL(SHELLEXECUTEINFOA*)>;

  CNotepad();
  explicit CNotepad(ShellRunner runner) : runner_(std::move(runner)) {}
  // Closes the Notepad windows of the temporary files and deletes the files.
  virtual ~CNotepad();
  CNotepad(const CNotepad&) = delete;
  CNotepad& operator=(const CNotepad&) = delete;

  // Opens path (passed unquoted as Notepad's command line); 0 or the system error code.
  DWORD Launch(const std::string& path, HWND owner);
  // Remembers a temporary file to remove when this object goes.
  void AddTempFile(const std::string& path) { tempFiles_.push_back(path); }

 private:
  ShellRunner runner_;
  std::vector<std::string> tempFiles_;
  std::string notepadPath_;
};

// Whether User Account Control is on ("EnableLUA" non-zero; a missing key or value means off).
bool IsUacEnabled();
