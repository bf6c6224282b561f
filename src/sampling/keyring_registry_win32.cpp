// LoadKeyring: the keyring's registry values, read-only, turned into a new keyring.
#include <windows.h>

#include <string>

#include "platform/registry.h"
#include "platform/registry_encoding.h"
#include "sampling/keyring.h"

namespace {

// Every value of a key in enumeration order, up to as many as the key held when it was
// opened; names up to 32 characters and data up to 256 bytes (longer ones are skipped).
std::vector<std::pair<std::string, std::string>> EnumerateValues(const std::string& subkey) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, BuildSettingsKeyPath(subkey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return {};
  DWORD count = 0;
  if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                       nullptr) != ERROR_SUCCESS)
    count = 0;
  auto values = ReadKeyValues(count, [key](uint32_t index, std::string* name, std::string* data) {
    char nameText[33];
    BYTE bytes[256];
    DWORD nameLength = sizeof nameText, size = sizeof bytes, type = 0;
    LONG result = RegEnumValueA(key, index, nameText, &nameLength, nullptr, &type, bytes, &size);
    if (result == ERROR_SUCCESS) {
      name->assign(nameText, nameLength);
      data->assign(reinterpret_cast<char*>(bytes), size);
    }
    return uint32_t(result);
  });
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
