#include "platform/registry.h"

#include "platform/registry_encoding.h"

#include <type_traits>

namespace {

const REGSAM kWriteAccess = KEY_READ | KEY_WRITE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY;

enum class KeyAccess { Read, Create, Modify };

// An open settings key, closed on scope exit.
class CSettingsKey {
 public:
  CSettingsKey(const std::string& subkey, KeyAccess access) {
    std::string path = BuildSettingsKeyPath(subkey);
    if (access == KeyAccess::Create)
      result_ = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, kWriteAccess, nullptr, &key_,
                                nullptr);
    else
      result_ = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0,
                              access == KeyAccess::Read ? KEY_READ : kWriteAccess, &key_);
    if (result_ != ERROR_SUCCESS) key_ = nullptr;
  }
  ~CSettingsKey() {
    if (key_) RegCloseKey(key_);
  }
  CSettingsKey(const CSettingsKey&) = delete;
  CSettingsKey& operator=(const CSettingsKey&) = delete;

  HKEY Handle() const { return key_; }
  LONG Result() const { return result_; }

 private:
  HKEY key_ = nullptr;
  LONG result_;
};

// Reads at most *size bytes; leaves the registry result as the last error.
LONG QueryValue(const std::string& subkey, const char* name, void* data, DWORD* size, DWORD* type) {
  CSettingsKey key(subkey, KeyAccess::Read);
  LONG result = key.Result();
  if (result == ERROR_SUCCESS)
    result = RegQueryValueExA(key.Handle(), name, nullptr, type, static_cast<BYTE*>(data), size);
  SetLastError(result);
  return result;
}

// Completes a call with its registry result as the last error.
bool Finish(LONG result) {
  SetLastError(result);
  return result == ERROR_SUCCESS;
}

}  // namespace

bool ReadRegistryBool(const std::string& subkey, const char* name, bool fallback) {
  unsigned char data[16] = {};
  DWORD size = sizeof data;
  LONG result = QueryValue(subkey, name, data, &size, nullptr);
  if (result == ERROR_MORE_DATA) return true;
  return result == ERROR_SUCCESS ? DecodeRegistryBool(data, size) : fallback;
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

bool ReadRegistryBinary(const std::string& subkey, const char* name, std::string* data, DWORD* type) {
  DWORD size = 0;
  LONG result = QueryValue(subkey, name, nullptr, &size, type);
  if (result != ERROR_SUCCESS) return false;
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
  CSettingsKey key(subkey, KeyAccess::Read);
  return Finish(key.Result());
}

bool WriteRegistryValue(const std::string& subkey, const char* name, DWORD type, const void* data, DWORD length) {
  CSettingsKey key(subkey, KeyAccess::Create);
  if (key.Result() != ERROR_SUCCESS) return Finish(key.Result());
  if (!data || length == 0) return Finish(RegDeleteValueA(key.Handle(), name));
  return Finish(RegSetValueExA(key.Handle(), name, 0, type, static_cast<const BYTE*>(data), length));
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
  CSettingsKey key(subkey, KeyAccess::Modify);
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
