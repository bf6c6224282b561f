// Mapping the registry roots of a test process onto private keys.
#include "support/registry_sandbox.h"

#include <cstdio>
#include <map>
#include <vector>

namespace {
int g_sandboxCount = 0;

// Keys the platform itself reads from HKLM at run time (the cryptographic providers behind
// certificate checks): copied into the sandbox so that system code keeps working there.
const char* const kSystemKeys[] = {"Software\\Microsoft\\Cryptography", "Software\\Microsoft\\SystemCertificates"};

void CopySystemKeys(HKEY root) {
  for (const char* path : kSystemKeys) {
    HKEY source, target;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &source) != ERROR_SUCCESS) continue;
    if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target, nullptr) == ERROR_SUCCESS) {
      RegCopyTreeA(source, nullptr, target);
      RegCloseKey(target);
    }
    RegCloseKey(source);
  }
}

void DumpKey(HKEY key, const std::string& path, std::map<std::string, std::string>* out) {
  char name[256];
  std::vector<BYTE> data(1 << 16);
  for (DWORD i = 0;; ++i) {
    DWORD nameLen = sizeof name, type = 0, size = static_cast<DWORD>(data.size());
    if (RegEnumValueA(key, i, name, &nameLen, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
    std::string line = "type=" + std::to_string(type) + " bytes=";
    char hex[4];
    for (DWORD b = 0; b < size; ++b) {
      std::snprintf(hex, sizeof hex, "%02x", data[b]);
      line += hex;
    }
    (*out)[path + "|" + name] = line;
  }
  for (DWORD i = 0;; ++i) {
    DWORD nameLen = sizeof name;
    if (RegEnumKeyExA(key, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY sub;
    if (RegOpenKeyExA(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
      (*out)[path + "\\" + name] = "key";
      DumpKey(sub, path + "\\" + name, out);
      RegCloseKey(sub);
    }
  }
}
}  // namespace

namespace {

// A new private key HKCU\Software\ovmon-tests\<pid>-<tag><n>, emptied first; *path receives its path.
HKEY CreatePrivateKey(const char* tag, std::string* path) {
  *path = "Software\\ovmon-tests\\" + std::to_string(GetCurrentProcessId()) + "-" + tag +
          std::to_string(++g_sandboxCount);
  RegDeleteTreeA(HKEY_CURRENT_USER, path->c_str());
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, path->c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  return key;
}

// Gives predefined its real key back and deletes the private key.
void DropPrivateKey(HKEY predefined, HKEY key, const std::string& path) {
  RegOverridePredefKey(predefined, nullptr);
  RegCloseKey(key);
  RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
}

}  // namespace

CRegistrySandbox::CRegistrySandbox() : root_(CreatePrivateKey("", &path_)) {
  CopySystemKeys(root_);
  RegOverridePredefKey(HKEY_LOCAL_MACHINE, root_);
}

CRegistrySandbox::~CRegistrySandbox() { DropPrivateKey(HKEY_LOCAL_MACHINE, root_, path_); }

CUserRegistrySandbox::CUserRegistrySandbox() : root_(CreatePrivateKey("user-", &path_)) {
  RegOverridePredefKey(HKEY_CURRENT_USER, root_);
}

CUserRegistrySandbox::~CUserRegistrySandbox() { DropPrivateKey(HKEY_CURRENT_USER, root_, path_); }

void SetRawValue(const char* keyPath, const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

void SetStringValue(const char* keyPath, const char* name, const char* text) {
  SetRawValue(keyPath, name, REG_SZ, text, static_cast<DWORD>(strlen(text) + 1));
}

void SetDwordValue(const char* keyPath, const char* name, DWORD value) {
  SetRawValue(keyPath, name, REG_DWORD, &value, sizeof value);
}

bool GetRawValue(const char* keyPath, const char* name, DWORD* type, std::string* data) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  LONG rc = RegQueryValueExA(key, name, nullptr, type, nullptr, &size);
  if (rc == ERROR_SUCCESS) {
    data->resize(size);
    rc = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(&(*data)[0]), &size);
    data->resize(size);
  }
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

bool KeyExists(const char* keyPath) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::string ExportKeyTree(const char* keyPath) {
  std::map<std::string, std::string> entries;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    DumpKey(key, "", &entries);
    RegCloseKey(key);
  }
  std::string text;
  for (const auto& e : entries) text += e.first + " = " + e.second + "\n";
  return text;
}
