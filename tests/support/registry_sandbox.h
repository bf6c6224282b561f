// Registry isolation for tests: HKEY_LOCAL_MACHINE of this process is mapped onto
// a private key, so production code keeps its real root and no test sees another's values.
#pragma once
#include <windows.h>

#include <string>

class CRegistrySandbox {
 public:
  // Maps HKLM onto HKCU\Software\ovmon-tests\<pid>-<n>, emptied first.
  CRegistrySandbox();
  // Restores the real HKLM and deletes the private key.
  ~CRegistrySandbox();
  CRegistrySandbox(const CRegistrySandbox&) = delete;
  CRegistrySandbox& operator=(const CRegistrySandbox&) = delete;

  // The private key's path below HKCU.
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  HKEY root_ = nullptr;
};

// The same for HKEY_CURRENT_USER, where the applet keeps per-user preferences: mapped onto
// HKCU\Software\ovmon-tests\<pid>-user-<n> of the real user, emptied first.
class CUserRegistrySandbox {
 public:
  CUserRegistrySandbox();
  // Restores the real HKCU and deletes the private key.
  ~CUserRegistrySandbox();
  CUserRegistrySandbox(const CUserRegistrySandbox&) = delete;
  CUserRegistrySandbox& operator=(const CUserRegistrySandbox&) = delete;

 private:
  std::string path_;
  HKEY root_ = nullptr;
};

// Test helpers on the (mapped) HKLM: set, read and check values directly.
void SetRawValue(const char* keyPath, const char* name, DWORD type, const void* data, DWORD size);
void SetStringValue(const char* keyPath, const char* name, const char* text);
void SetDwordValue(const char* keyPath, const char* name, DWORD value);
bool GetRawValue(const char* keyPath, const char* name, DWORD* type, std::string* data);
bool KeyExists(const char* keyPath);
// A text dump of every key and value below keyPath, sorted, for byte-wise comparisons.
std::string ExportKeyTree(const char* keyPath);
