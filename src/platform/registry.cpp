// The registry functions under the product's key, CRegistryKey, and schema fields.
#include "platform/registry.h"

#include <algorithm>
#include <cstring>

#include <type_traits>

#include "platform/registry_encoding.h"

namespace {

const REGSAM kWriteAccess = KEY_READ | KEY_WRITE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY;

// The growth of a UTF-16 list buffer starts here (or at the caller's bound) and doubles up to the bound.
const size_t kFirstListChars = 256;

// An open key of the settings below HKLM.
class CSettingsKey : public CRegistryKey {
 public:
  CSettingsKey(const std::string& subkey, Access access)
      : CRegistryKey(HKEY_LOCAL_MACHINE, BuildSettingsKeyPath(subkey), access) {}
};

// Reads at most *size bytes; leaves the registry result as the last error.
LONG QueryValue(const std::string& subkey, const char* name, void* data, DWORD* size, DWORD* type) {
  return CSettingsKey(subkey, CRegistryKey::Access::kRead).Query(name, data, size, type);
}

// Completes a call with its registry result as the last error.
bool Finish(LONG result) {
  SetLastError(result);
  return result == ERROR_SUCCESS;
}

// The non-empty strings of a UTF-16 REG_MULTI_SZ block of count characters.
void SplitWideList(const wchar_t* block, size_t count, std::vector<std::wstring>* items) {
  for (size_t at = 0; at < count;) {
    size_t end = at;
    while (end < count && block[end] != L'\0') ++end;
    if (end > at) items->emplace_back(block + at, end - at);
    at = end + 1;
  }
}

std::wstring Widened(const char* name) { return std::wstring(name, name + strlen(name)); }

}  // namespace

CRegistryKey::CRegistryKey(HKEY root, const std::string& path, Access access) {
  if (access == Access::kCreate)
    result_ = RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, kWriteAccess, nullptr, &key_, nullptr);
  else
    result_ = RegOpenKeyExA(root, path.c_str(), 0, access == Access::kRead ? KEY_READ : kWriteAccess, &key_);
  if (result_ != ERROR_SUCCESS) key_ = nullptr;
}

CRegistryKey::~CRegistryKey() {
  if (key_) RegCloseKey(key_);
}

LONG CRegistryKey::Query(const char* name, void* data, DWORD* size, DWORD* type) const {
  LONG result = key_ ? RegQueryValueExA(key_, name, nullptr, type, static_cast<BYTE*>(data), size) : result_;
  SetLastError(result);
  return result;
}

bool CRegistryKey::ReadBool(const char* name, bool fallback) const {
  unsigned char data[16] = {};
  DWORD size = sizeof data;
  LONG result = Query(name, data, &size, nullptr);
  if (result == ERROR_MORE_DATA) return true;
  return result == ERROR_SUCCESS ? DecodeRegistryBool(data, size) : fallback;
}

bool CRegistryKey::ReadText(const char* name, size_t maxBytes, std::string* text) const {
  std::string data(maxBytes + 1, '\0');
  DWORD type = REG_NONE, size = static_cast<DWORD>(maxBytes);
  if (Query(name, &data[0], &size, &type) != ERROR_SUCCESS) return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  data.resize(size);
  *text = data.substr(0, data.find('\0'));
  return true;
}

bool CRegistryKey::ReadDword(const char* name, uint32_t* value) const {
  uint32_t read = 0;
  DWORD type = REG_NONE, size = sizeof read;
  if (Query(name, &read, &size, &type) != ERROR_SUCCESS || type != REG_DWORD || size != sizeof read) return false;
  *value = read;
  return true;
}

bool CRegistryKey::ReadBinary(const char* name, void* data, DWORD size) const {
  DWORD type = REG_NONE, read = size;
  return Query(name, data, &read, &type) == ERROR_SUCCESS && type == REG_BINARY && read == size;
}

bool CRegistryKey::ReadWideList(const char* name, DWORD maxBytes, std::vector<std::wstring>* items) const {
  std::vector<wchar_t> buffer(std::max<size_t>(1, std::min<size_t>(kFirstListChars, maxBytes / sizeof(wchar_t))));
  DWORD type = REG_NONE, size = 0;
  LONG result = key_ ? ERROR_MORE_DATA : result_;
  while (result == ERROR_MORE_DATA && buffer.size() * sizeof(wchar_t) <= maxBytes) {
    size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    result = RegQueryValueExW(key_, Widened(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                              &size);
    if (result == ERROR_MORE_DATA) buffer.resize(std::max<size_t>(buffer.size() * 2, size / sizeof(wchar_t) + 1));
  }
  SetLastError(result);
  if (result != ERROR_SUCCESS || type != REG_MULTI_SZ) return false;
  SplitWideList(buffer.data(), size / sizeof(wchar_t), items);
  return true;
}

LONG CRegistryKey::Write(const char* name, DWORD type, const void* data, DWORD length) {
  LONG result = key_ ? RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), length) : result_;
  SetLastError(result);
  return result;
}

LONG CRegistryKey::WriteText(const char* name, const std::string& text, DWORD type) {
  return Write(name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

LONG CRegistryKey::WriteBool(const char* name, bool value) { return WriteText(name, value ? "True" : "False"); }

LONG CRegistryKey::WriteDword(const char* name, uint32_t value) {
  return Write(name, REG_DWORD, &value, sizeof value);
}

LONG CRegistryKey::WriteWideList(const char* name, const std::vector<std::wstring>& items) {
  std::wstring block;
  for (const std::wstring& item : items)
    if (!item.empty()) block += item + L'\0';
  if (block.empty()) block += L'\0';  // an empty list is two terminators
  block += L'\0';
  LONG result = key_ ? RegSetValueExW(key_, Widened(name).c_str(), 0, REG_MULTI_SZ,
                                      reinterpret_cast<const BYTE*>(block.c_str()),
                                      static_cast<DWORD>(block.size() * sizeof(wchar_t)))
                     : result_;
  SetLastError(result);
  return result;
}

bool ReadRegistryBool(const std::string& subkey, const char* name, bool fallback) {
  return CSettingsKey(subkey, CRegistryKey::Access::kRead).ReadBool(name, fallback);
}

uint32_t ReadRegistryDword(const std::string& subkey, const char* name, uint32_t fallback) {
  uint32_t value = 0;
  DWORD size = sizeof value;
  return QueryValue(subkey, name, &value, &size, nullptr) == ERROR_SUCCESS ? value : fallback;
}

std::string ReadRegistryString(const std::string& subkey, const char* name, const std::string& fallback,
                               size_t maxBytes) {
  std::string data(maxBytes + 2, '\0');
  DWORD size = static_cast<DWORD>(maxBytes);
  if (QueryValue(subkey, name, &data[0], &size, nullptr) != ERROR_SUCCESS) return fallback;
  data.resize(size);
  return data.substr(0, data.find('\0'));
}

bool ReadRegistryBinary(const std::string& subkey, const char* name, std::string* data, DWORD* type,
                        size_t maxBytes) {
  data->clear();
  DWORD size = 0;
  LONG result = QueryValue(subkey, name, nullptr, &size, type);
  if (result != ERROR_SUCCESS) return false;
  if (size > maxBytes) return Finish(ERROR_MORE_DATA);
  data->assign(size, '\0');
  result = QueryValue(subkey, name, size ? &(*data)[0] : nullptr, &size, type);
  data->resize(result == ERROR_SUCCESS ? size : 0);
  return result == ERROR_SUCCESS;
}

bool ReadRegistryList(const std::string& subkey, const char* name, std::vector<std::string>* items) {
  items->clear();
  std::string block;
  if (!ReadRegistryBinary(subkey, name, &block)) return false;
  *items = DecodeStringList(block.data(), block.size());
  return true;
}

// A text value takes the text route whatever its length: "No" fits in four bytes too.
bool ReadRegistryFlag(const std::string& subkey, const char* name, bool fallback) {
  uint32_t value = 0;
  DWORD size = sizeof value;
  DWORD type = REG_NONE;
  LONG result = QueryValue(subkey, name, &value, &size, &type);
  bool isText = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
  if (result == ERROR_SUCCESS && !isText) return DecodeFlagNumber(value);
  if (result == ERROR_FILE_NOT_FOUND) return fallback;
  std::string text;
  if (!ReadRegistryBinary(subkey, name, &text)) return fallback;
  return DecodeFlagText(text);
}

bool RegistryValueExists(const std::string& subkey, const char* name) {
  DWORD size = 0;
  return QueryValue(subkey, name, nullptr, &size, nullptr) == ERROR_SUCCESS;
}

bool RegistryKeyExists(const std::string& subkey) {
  CSettingsKey key(subkey, CRegistryKey::Access::kRead);
  return Finish(key.Result());
}

bool WriteRegistryValue(const std::string& subkey, const char* name, DWORD type, const void* data, DWORD length) {
  CSettingsKey key(subkey, CRegistryKey::Access::kCreate);
  if (key.Result() != ERROR_SUCCESS) return Finish(key.Result());
  if (!data || length == 0) return Finish(RegDeleteValueA(key.Handle(), name));
  return Finish(key.Write(name, type, data, length));
}

bool WriteRegistryBool(const std::string& subkey, const char* name, bool value) {
  return WriteRegistryString(subkey, name, value ? "True" : "False");
}

bool WriteRegistryDword(const std::string& subkey, const char* name, uint32_t value) {
  return WriteRegistryValue(subkey, name, REG_DWORD, &value, sizeof value);
}

bool WriteRegistryString(const std::string& subkey, const char* name, const std::string& text) {
  return WriteRegistryValue(subkey, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

bool WriteRegistryList(const std::string& subkey, const char* name, const std::vector<std::string>& items) {
  std::string block = EncodeStringList(items);
  return WriteRegistryValue(subkey, name, REG_MULTI_SZ, block.data(), static_cast<DWORD>(block.size()));
}

bool DeleteRegistryValue(const std::string& subkey, const char* name) {
  CSettingsKey key(subkey, CRegistryKey::Access::kModify);
  if (key.Result() != ERROR_SUCCESS) return Finish(key.Result());
  return Finish(RegDeleteValueA(key.Handle(), name));
}

bool DeleteRegistryKey(const std::string& subkey) {
  return Finish(RegDeleteTreeA(HKEY_LOCAL_MACHINE, BuildSettingsKeyPath(subkey).c_str()));
}

bool LoadRegistryField(const RegistryValue& value, const RegistryField& fallback, const std::string& key) {
  bool taken = true;
  std::visit(
      [&](auto* field) {
        using T = std::remove_pointer_t<decltype(field)>;
        const T& initial = *std::get<T*>(fallback);
        if constexpr (std::is_same_v<T, bool>) {
          *field = ReadRegistryBool(key, value.name, initial);
        } else if constexpr (std::is_same_v<T, std::string>) {
          *field = ReadRegistryString(key, value.name, initial, value.limits.maxBytes);
          taken = GetLastError() != ERROR_MORE_DATA;
        } else if constexpr (std::is_same_v<T, std::vector<std::string>>) {
          ReadRegistryList(key, value.name, field);
          if (field->empty()) *field = initial;
        } else {
          *field = static_cast<T>(ClampToLimits(ReadRegistryDword(key, value.name, initial), value.limits));
        }
      },
      value.field);
  return taken;
}

bool SaveRegistryField(const RegistryValue& value) {
  return std::visit(
      [&](auto* field) {
        using T = std::remove_pointer_t<decltype(field)>;
        if constexpr (std::is_same_v<T, bool>)
          return WriteRegistryBool(value.subkey, value.name, *field);
        else if constexpr (std::is_same_v<T, std::string>)
          return WriteRegistryString(value.subkey, value.name, *field);
        else if constexpr (std::is_same_v<T, std::vector<std::string>>)
          return WriteRegistryList(value.subkey, value.name, *field);
        else
          return WriteRegistryDword(value.subkey, value.name, *field);
      },
      value.field);
}
