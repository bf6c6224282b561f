#include "logview/preference_key.h"

#include <algorithm>
#include <cstring>

#include "platform/registry_encoding.h"

const char kPreferenceKeyPath[] = "Software\\Tallowin\\Orvane\\Monitor CPL";

namespace {

// The growth of a list buffer stops here: no preference is anywhere near this long.
const DWORD kListGrowthLimit = 1 << 20;

}  // namespace

CPreferenceKey::CPreferenceKey(Access access) {
  LONG result = access == Access::kWrite
                    ? RegCreateKeyExA(HKEY_CURRENT_USER, kPreferenceKeyPath, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                                      nullptr, &key_, nullptr)
                    : RegOpenKeyExA(HKEY_CURRENT_USER, kPreferenceKeyPath, 0, KEY_READ, &key_);
  if (result != ERROR_SUCCESS) key_ = nullptr;
}

CPreferenceKey::~CPreferenceKey() {
  if (key_) RegCloseKey(key_);
}

LONG CPreferenceKey::Query(const char* name, DWORD* type, void* data, DWORD* size) const {
  if (!key_) return ERROR_FILE_NOT_FOUND;
  return RegQueryValueExA(key_, name, nullptr, type, static_cast<BYTE*>(data), size);
}

bool CPreferenceKey::ReadText(const char* name, size_t maxBytes, std::string* text) const {
  std::string data(maxBytes + 1, '\0');
  DWORD type = 0, size = static_cast<DWORD>(maxBytes);
  if (Query(name, &type, &data[0], &size) != ERROR_SUCCESS) return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  data.resize(size);
  *text = data.substr(0, data.find('\0'));
  return true;
}

bool CPreferenceKey::ReadDword(const char* name, uint32_t* value) const {
  uint32_t read = 0;
  DWORD type = 0, size = sizeof read;
  if (Query(name, &type, &read, &size) != ERROR_SUCCESS || type != REG_DWORD || size != sizeof read) return false;
  *value = read;
  return true;
}

bool CPreferenceKey::ReadBool(const char* name, bool fallback) const {
  unsigned char data[16] = {};
  DWORD size = sizeof data;
  LONG result = Query(name, nullptr, data, &size);
  if (result == ERROR_MORE_DATA) return true;
  return result == ERROR_SUCCESS ? DecodeRegistryBool(data, size) : fallback;
}

bool CPreferenceKey::ReadBinary(const char* name, void* data, DWORD size) const {
  DWORD type = 0, read = size;
  return Query(name, &type, data, &read) == ERROR_SUCCESS && type == REG_BINARY && read == size;
}

bool CPreferenceKey::ReadWideList(const char* name, DWORD maxBytes, std::vector<std::wstring>* items) const {
  if (!key_) return false;
  std::wstring name16(name, name + strlen(name));
  std::vector<wchar_t> buffer(256);
  DWORD type = 0, size = 0;
  LONG result = ERROR_MORE_DATA;
  while (result == ERROR_MORE_DATA && buffer.size() * sizeof(wchar_t) <= maxBytes) {
    size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    result = RegQueryValueExW(key_, name16.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (result == ERROR_MORE_DATA) buffer.resize(std::max<size_t>(buffer.size() * 2, size / sizeof(wchar_t) + 1));
  }
  if (result != ERROR_SUCCESS || type != REG_MULTI_SZ) return false;
  size_t count = size / sizeof(wchar_t);
  for (size_t at = 0; at < count;) {
    size_t end = at;
    while (end < count && buffer[end] != L'\0') ++end;
    if (end > at) items->emplace_back(buffer.data() + at, end - at);
    at = end + 1;
  }
  return true;
}

void CPreferenceKey::WriteText(const char* name, const std::string& text) {
  if (!key_) return;
  DWORD type = !text.empty() && text[0] == '%' ? REG_EXPAND_SZ : REG_SZ;
  RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
}

void CPreferenceKey::WriteDword(const char* name, uint32_t value) {
  if (key_) RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void CPreferenceKey::WriteBool(const char* name, bool value) { WriteText(name, value ? "True" : "False"); }

void CPreferenceKey::WriteBinary(const char* name, const void* data, DWORD size) {
  if (key_) RegSetValueExA(key_, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
}

void CPreferenceKey::WriteWideList(const char* name, const std::vector<std::wstring>& items) {
  if (!key_) return;
  std::wstring block;
  for (const std::wstring& item : items)
    if (!item.empty()) block += item + L'\0';
  if (block.empty()) block += L'\0';  // an empty list is two terminators
  block += L'\0';
  std::wstring name16(name, name + strlen(name));
  RegSetValueExW(key_, name16.c_str(), 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(block.c_str()),
                 static_cast<DWORD>(block.size() * sizeof(wchar_t)));
}
