// LoadKeyring: the keyring's registry values, read-only, turned into a new keyring.
#include <windows.h>

#include <string>

#include "platform/registry.h"
#include "platform/registry_encoding.h"
#include "sampling/keyring.h"

namespace {

// Every value of a key in enumeration order; names up to 32 characters and data up to 256
// bytes (longer ones are skipped).
std::vector<std::pair<std::string, std::string>> EnumerateValues(const std::string& subkey) {
  std::vector<std::pair<std::string, std::string>> values;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, BuildSettingsKeyPath(subkey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return values;
  for (DWORD index = 0;; ++index) {
    char name[33];
    BYTE data[256];
    DWORD nameLength = sizeof name, size = sizeof data, type = 0;
    LONG result = RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &size);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS) continue;
    values.emplace_back(std::string(name, nameLength), std::string(reinterpret_cast<char*>(data), size));
  }
  RegCloseKey(key);
  return values;
}

// A Conf value as text: a number stored as REG_DWORD is written out in decimal.
std::string ConfText(const std::string& subkey, const char* name) {
  std::string data;
  DWORD type = REG_NONE;
  if (!ReadRegistryBinary(subkey, name, &data, &type)) return std::string();
  if (type == REG_DWORD && data.size() == 4) {
    uint32_t value = uint32_t(uint8_t(data[0])) | uint32_t(uint8_t(data[1])) << 8 |
                     uint32_t(uint8_t(data[2])) << 16 | uint32_t(uint8_t(data[3])) << 24;
    return std::to_string(value);
  }
  return data.substr(0, data.find('\0'));
}

}  // namespace

void LoadKeyring(const std::string& productKey) {
  const std::string conf = productKey + "\\Keyring\\Conf";
  KeyringSource source;
  source.keyValues = EnumerateValues(productKey + "\\Keyring\\Keys");
  source.confTypes = ConfText(conf, "");
  source.trustedKeys = ConfText(conf, "TrustedKey");
  source.broadcastKey = ConfText(conf, "BroadcastKey");
  for (size_t i = 0; i < kPtpKeyCount; ++i) source.ptpKeys[i] = ConfText(conf, kPtpKeyValueNames[i]);
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD length = sizeof computer;
  GetComputerNameA(computer, &length);
  source.identity = BuildSettingsKeyPath(productKey) + "|" + computer;
  InstallKeyring(BuildKeyring(source));
}
