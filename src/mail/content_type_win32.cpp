// ContentTypeForName on Windows: the type registered for the extension, else the built-in table.
#include <windows.h>

#include "mail/content_type.h"

std::string ContentTypeForName(const std::string& displayName) {
  std::string extension = NameExtension(displayName);
  if (extension.empty()) return BuiltInContentType(extension);
  std::string keyPath = "Software\\Classes\\" + extension;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return BuiltInContentType(extension);
  char value[129] = {};
  DWORD type = 0, size = 128;
  LONG rc =
      RegQueryValueExA(key, "Content Type", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  std::string text = rc == ERROR_SUCCESS && type == REG_SZ ? std::string(value) : std::string();
  return IsUsableContentType(text) ? text : BuiltInContentType(extension);
}
