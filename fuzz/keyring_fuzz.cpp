// Keyring texts come from the registry: any key value, Conf list or trust list must build a
// keyring without fault, and every key in it must be usable for signing and verifying (the
// built-in key for signing only).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sampling/digest.h"
#include "sampling/keyring.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The input is split at zero bytes into: value name, value data, Conf types, trusted keys,
  // broadcast key, a PTP key; missing parts are empty.
  std::string parts[6];
  size_t part = 0;
  for (size_t i = 0; i < size && part < 6; ++i) {
    if (data[i] == 0)
      ++part;
    else
      parts[part] += char(data[i]);
  }
  KeyringSource source;
  source.keyValues = {{parts[0], parts[1]}, {"1", parts[1]}, {"2", parts[0]}};
  source.confTypes = parts[2];
  source.trustedKeys = parts[3].empty() ? "1 2" : parts[3];
  source.broadcastKey = parts[4];
  source.ptpKeys[2] = parts[5];
  Keyring keyring = BuildKeyring(source);
  for (const auto& entry : keyring.keys) {
    const KeyEntry& key = entry.second;
    if (key.text.size() > kMaxKeyText || key.bytes.size() > kMaxKeyBytes) std::abort();
    if (key.digestType > kDigestSha512) std::abort();
    if (key.digestType == kDigestMd5 && key.bytes.size() < 4) std::abort();
    if (key.digestType > kDigestMd5 && key.bytes.size() < 10) std::abort();
  }
  InstallKeyring(keyring);
  for (const auto& entry : keyring.keys) {
    uint8_t packet[72] = {0x1B};
    size_t length = 0;
    uint32_t type = 0;
    uint32_t status = SignNtp(entry.first, packet, &length, &type);
    // Every key signs what it verifies, except the built-in one, which no reply may name.
    bool refused = status == 0 && length > 48 && VerifyNtp(packet, length, &type) != 0;
    if (status == 0 && length > 48 && refused != (entry.first == kBuiltInKeyNumber)) std::abort();
    uint8_t request[36] = {1, 2, 3, 4, 1, 2};
    BuildOv2Auth(kAuthKey, entry.first, request, &length, &type);
    if (length > 36) std::abort();
  }
  uint32_t type = 0;
  VerifyHttpBody(1, parts[0], parts[1], &type);
  uint8_t reply[128] = {};
  std::memcpy(reply, data, size < sizeof reply ? size : sizeof reply);
  VerifyOv2Reply(reply, size < sizeof reply ? size : sizeof reply, kAuthKey, 1, &type);
  VerifyNtp(reply, size < sizeof reply ? size : sizeof reply, &type);
  return 0;
}
