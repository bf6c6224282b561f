// The keyring's numbered keys and the keyed digests of the time protocols.
#include "sampling/keyring.h"

#include <cstring>
#include <memory>
#include <mutex>

#include "sampling/digest.h"
#include "sampling/netlogon.h"
#include "platform/text_numbers.h"

const char* const kPtpKeyValueNames[kPtpKeyCount] = {
    "ptpSPP", "ptpAnnounce", "ptpSync", "ptpDelayResp", "ptpPDelayResp", "ptpDelayReq", "ptpPDelayReq"};

namespace {

std::mutex g_keyringLock;
std::shared_ptr<const Keyring> g_keyring = std::make_shared<Keyring>();

bool IsHexDigit(char c) { return HexDigitValue(c) >= 0; }

bool AllHex(const std::string& text) {
  for (char c : text)
    if (!IsHexDigit(c)) return false;
  return true;
}

// A registry text: the bytes up to the first zero byte.
std::string RegistryText(const std::string& data) { return data.substr(0, data.find('\0')); }

// A whole text of decimal digits as a 32-bit number; false when empty, not digits or too large.
bool ParseDecimal(const std::string& text, uint32_t* value) {
  if (text.empty() || text.size() > 10) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + uint32_t(c - '0');
  }
  if (v > 0xFFFFFFFFu) return false;
  *value = uint32_t(v);
  return true;
}

std::vector<std::string> SplitBlanks(const std::string& text) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size()) {
    size_t start = text.find_first_not_of(" \t\r\n", i);
    if (start == std::string::npos) break;
    size_t end = text.find_first_of(" \t\r\n", start);
    if (end == std::string::npos) end = text.size();
    words.push_back(text.substr(start, end - start));
    i = end;
  }
  return words;
}

// The keyed digest of message with a key; false when the key yields no digest.
bool KeyDigest(const KeyEntry& key, const void* message, size_t length, uint8_t* out) {
  return KeyedDigest(key.digestType, reinterpret_cast<const uint8_t*>(key.bytes.data()), key.bytes.size(),
                     message, length, out) != 0;
}

// The time service's domain (step 1 of Windows authentication); 1355 counts as no domain.
uint32_t TimeServiceDomain(INetlogon& netlogon, std::string* domain) {
  domain->clear();
  uint32_t status = netlogon.GetTimeServiceParentDomain(std::string(), domain);
  if (status != 0 || domain->empty()) {
    MachineDomainFacts facts = DomainDirectory().ThisMachine();
    if (facts.joined && !facts.domainName.empty()) {
      domain->clear();
      status = netlogon.GetTimeServiceParentDomain(facts.domainName, domain);
    }
  }
  if (status != 0) domain->clear();
  return status == kNoSuchDomain ? 0 : status;
}

// A reply buffer of at least minimum bytes, zero past length.
std::vector<uint8_t> PaddedCopy(const uint8_t* data, size_t length, size_t minimum) {
  std::vector<uint8_t> copy(length > minimum ? length : minimum, 0);
  if (length > 0) std::memcpy(copy.data(), data, length);
  return copy;
}

uint32_t LoadBe32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

void StoreBe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (24 - 8 * i));
}

void StoreLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

// The key a reply names, to check its digest with. The built-in key is refused: no exchange
// uses it, and its text comes from facts anybody may learn, so a reply signed with it proves nothing.
uint32_t FetchReplyKey(uint32_t number, KeyEntry* key) {
  return number == kBuiltInKeyNumber ? kKeyNotInKeyring : FetchKey(number, key);
}

// The key check of a keyed OV2 reply: the key named at offset 56, its digest over bytes
// 0 to 7 at offset 60 (MD5) or 95 (other types).
uint32_t VerifyOv2Key(const uint8_t* reply, uint32_t* digestType) {
  KeyEntry key;
  uint32_t status = FetchReplyKey(LoadBe32(reply + 56), &key);
  if (status != 0) return status;
  *digestType = key.digestType;
  uint8_t digest[kMaxDigestLength];
  if (!KeyDigest(key, reply, 8, digest)) return kDigestMismatch;
  size_t wire = WireDigestLength(key.digestType);
  const uint8_t* sent = reply + (key.digestType == kDigestMd5 ? 60 : 95);
  return std::memcmp(digest, sent, wire) == 0 ? 0 : kDigestMismatch;
}

}  // namespace

bool ParseKeyValue(const std::string& name, const std::string& data, uint32_t confType, KeyEntry* entry) {
  uint32_t number = 0;
  if (!ParseDecimal(name, &number) || number < 1 || number > 65535) return false;

  std::string text = RegistryText(data);
  size_t cut = text.find_first_of(" \t#");
  if (cut != std::string::npos) text.resize(cut);
  size_t first = text.find_first_not_of(" \t\r\n");
  size_t last = text.find_last_not_of(" \t\r\n");
  text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
  if (text.size() > kMaxKeyText) text.resize(kMaxKeyText);

  uint32_t type = confType;
  if (type == kDigestNone) {
    if (text.empty())
      type = kDigestNone;
    else if (text.size() == 40 && AllHex(text))
      type = kDigestSha1;
    else if (text.size() == 64 && AllHex(text))
      type = kDigestSha256;
    else if (text.size() == 128 && AllHex(text))
      type = kDigestSha512;
    else
      type = kDigestMd5;
  }

  KeyEntry result;
  result.number = number;
  result.text = text;
  result.digestType = type;
  if (type == kDigestMd5) {
    if (text.size() < 4) return false;
    result.bytes = text.substr(0, kMaxKeyBytes);
  } else if (type != kDigestNone) {
    if (!AllHex(text) || text.size() < 20) return false;
    for (size_t i = 0; i + 1 < text.size() && result.bytes.size() < kMaxKeyBytes; i += 2)
      result.bytes.push_back(char(HexDigitValue(text[i]) << 4 | HexDigitValue(text[i + 1])));
  }
  *entry = std::move(result);
  return true;
}

std::map<uint32_t, uint32_t> ParseConfTypes(const std::string& text) {
  std::map<uint32_t, uint32_t> types;
  for (const std::string& pair : SplitBlanks(RegistryText(text))) {
    size_t comma = pair.find(',');
    if (comma == std::string::npos) continue;
    uint32_t number = 0, type = 0;
    if (!ParseDecimal(pair.substr(0, comma), &number) || !ParseDecimal(pair.substr(comma + 1), &type))
      continue;
    if (number < 1 || number > 65535 || type < kDigestMd5 || type > kDigestSha512) continue;
    types[number] = type;
  }
  return types;
}

std::vector<std::pair<std::string, std::string>> ReadKeyValues(uint32_t count, const KeyValueReader& read) {
  const uint32_t kValueTooLong = 234;  // ERROR_MORE_DATA
  std::vector<std::pair<std::string, std::string>> values;
  for (uint32_t index = 0; index < count; ++index) {
    std::string name, data;
    uint32_t code = read(index, &name, &data);
    if (code == kValueTooLong) continue;
    if (code != 0) break;
    values.emplace_back(name, data);
  }
  return values;
}

Keyring BuildKeyring(const KeyringSource& source) {
  Keyring keyring;
  std::map<uint32_t, uint32_t> confTypes = ParseConfTypes(source.confTypes);
  for (const auto& value : source.keyValues) {
    uint32_t number = 0;
    uint32_t confType = 0;
    if (ParseDecimal(value.first, &number)) {
      auto it = confTypes.find(number);
      if (it != confTypes.end()) confType = it->second;
    }
    KeyEntry entry;
    if (ParseKeyValue(value.first, value.second, confType, &entry)) keyring.keys[entry.number] = entry;
  }

  for (const std::string& word : SplitBlanks(RegistryText(source.trustedKeys))) {
    uint32_t number = 0;
    if (!ParseDecimal(word, &number)) continue;
    auto it = keyring.keys.find(number);
    if (it != keyring.keys.end()) it->second.trusted = true;
  }

  // The built-in key: MD5 text made from the installation's identity, always trusted.
  uint8_t hash[kMaxDigestLength];
  std::string seed = "Orvane built-in key " + source.identity;
  size_t n = ComputeDigest(kDigestMd5, seed.data(), seed.size(), hash);
  static const char kHex[] = "0123456789abcdef";
  KeyEntry builtIn;
  builtIn.number = kBuiltInKeyNumber;
  for (size_t i = 0; i < n; ++i) {
    builtIn.text += kHex[hash[i] >> 4];
    builtIn.text += kHex[hash[i] & 15];
  }
  builtIn.bytes = builtIn.text;
  builtIn.trusted = true;
  builtIn.digestType = kDigestMd5;
  keyring.keys[kBuiltInKeyNumber] = builtIn;

  keyring.broadcastKey = StrToUl32(RegistryText(source.broadcastKey), 10);
  for (size_t i = 0; i < kPtpKeyCount; ++i) {
    uint32_t number = StrToUl32(RegistryText(source.ptpKeys[i]), 0);
    keyring.ptpKeys[i] = keyring.keys.count(number) ? number : 0;
  }
  return keyring;
}

void InstallKeyring(Keyring keyring) {
  auto fresh = std::make_shared<const Keyring>(std::move(keyring));
  std::lock_guard<std::mutex> lock(g_keyringLock);
  g_keyring = std::move(fresh);
}

bool KeyExists(uint32_t number) {
  if (number == kBuiltInKeyNumber) return true;
  if (!Netlogon().DigestFunctionsAvailable()) return false;
  std::lock_guard<std::mutex> lock(g_keyringLock);
  return g_keyring->keys.count(number) != 0;
}

bool KeyTrusted(uint32_t number, uint32_t* digestType) {
  if (number == kBuiltInKeyNumber) {
    *digestType = kDigestMd5;
    return true;
  }
  if (!Netlogon().DigestFunctionsAvailable()) return false;
  std::lock_guard<std::mutex> lock(g_keyringLock);
  auto it = g_keyring->keys.find(number);
  if (it == g_keyring->keys.end()) return false;
  *digestType = it->second.digestType;
  return it->second.trusted;
}

uint32_t FetchKey(uint32_t number, KeyEntry* entry) {
  std::lock_guard<std::mutex> lock(g_keyringLock);
  auto it = g_keyring->keys.find(number);
  if (it == g_keyring->keys.end()) return kKeyNotInKeyring;
  if (!it->second.trusted) return kKeyNotTrusted;
  *entry = it->second;
  return 0;
}

std::vector<uint32_t> NamableKeyNumbers() {
  std::lock_guard<std::mutex> lock(g_keyringLock);
  std::vector<uint32_t> numbers;
  for (const auto& [number, key] : g_keyring->keys)
    if (number < kBuiltInKeyNumber && (key.digestType == kDigestMd5 || key.digestType == kDigestSha1))
      numbers.push_back(number);
  return numbers;
}

uint32_t SignNtp(uint32_t number, uint8_t* packet, size_t* length, uint32_t* digestType) {
  KeyEntry key;
  uint32_t status = FetchKey(number, &key);
  if (status != 0) return status;
  *digestType = key.digestType;
  uint8_t digest[kMaxDigestLength];
  if (!KeyDigest(key, packet, 48, digest)) {
    *length = 48;  // a key without a digest: the request goes out unsigned
    return 0;
  }
  StoreBe32(packet + 48, number);
  size_t wire = WireDigestLength(key.digestType);
  std::memcpy(packet + 52, digest, wire);
  *length = 52 + wire;
  return 0;
}

uint32_t VerifyNtp(const uint8_t* reply, size_t length, uint32_t* digestType) {
  if (length < 52) return kDigestMismatch;
  KeyEntry key;
  uint32_t status = FetchReplyKey(LoadBe32(reply + 48), &key);
  if (status != 0) return status;
  *digestType = key.digestType;
  uint8_t digest[kMaxDigestLength];
  size_t wire = WireDigestLength(key.digestType);
  if (!KeyDigest(key, reply, 48, digest) || length < 52 + wire) return kDigestMismatch;
  return std::memcmp(digest, reply + 52, wire) == 0 ? 0 : kDigestMismatch;
}

uint32_t BuildOv2Auth(uint32_t authType, uint32_t keyId, uint8_t* request, size_t* length,
                      uint32_t* digestType) {
  std::memset(request + 12, 0, 24);
  KeyEntry key;
  size_t total = 12;
  switch (authType) {
    case kAuthBroadcast:
      *digestType = kDigestMd5;
      total = 16;
      break;
    case kAuthWindows: {
      *digestType = kDigestMd5;
      uint32_t rid = 0;
      uint32_t status = FetchMachineRid(&rid);
      if (status != 0) return status;
      StoreLe32(request + 12, rid);
      total = 16;
      break;
    }
    case kAuthKey: {
      uint32_t status = FetchKey(keyId, &key);
      if (status != 0) return status;
      *digestType = key.digestType;
      StoreBe32(request + 12, keyId);
      total = 16 + WireDigestLength(key.digestType);
      break;
    }
    default:
      break;
  }
  // The total length is part of the bytes the digest covers.
  request[6] = uint8_t(total);
  request[7] = uint8_t(total >> 8);
  uint8_t digest[kMaxDigestLength];
  if (total > 16 && KeyDigest(key, request, 8, digest)) std::memcpy(request + 16, digest, total - 16);
  *length = total;
  return 0;
}

uint32_t VerifyOv2Reply(const uint8_t* replyBytes, size_t length, uint32_t requestAuth, uint32_t keyId,
                        uint32_t* digestType) {
  std::vector<uint8_t> reply = PaddedCopy(replyBytes, length, 115);
  switch (reply[5]) {
    case kAuthNone:
      return requestAuth == kAuthNone ? 0 : kAuthenticationMissing;
    case kAuthBroadcast:
      *digestType = kDigestMd5;
      if (requestAuth != kAuthBroadcast) return kAuthenticationMissing;
      return VerifyOv2Key(reply.data(), digestType);
    case kAuthKey:
      if (requestAuth == kAuthKey && LoadBe32(reply.data() + 56) != keyId) return kAuthenticationMissing;
      return VerifyOv2Key(reply.data(), digestType);
    case kAuthWindows:
      *digestType = kDigestMd5;
      return WindowsDigestCheck(reply.data(), 8, reply.data() + 60);
    default:  // a type this program does not know proves nothing to a request that asked for proof
      return requestAuth == kAuthNone ? 0 : kAuthenticationMissing;
  }
}

uint32_t VerifyHttpBody(uint32_t number, const std::string& body, const std::string& hexDigest,
                        uint32_t* digestType) {
  if (number == 0) return 0;
  KeyEntry key;
  uint32_t status = FetchReplyKey(number, &key);
  if (status != 0) return status;
  *digestType = key.digestType;
  std::vector<uint8_t> expected;
  for (size_t i = 0; i + 1 < hexDigest.size() && expected.size() < kMaxDigestLength; i += 2) {
    if (!IsHexDigit(hexDigest[i]) || !IsHexDigit(hexDigest[i + 1])) return kDigestMismatch;
    expected.push_back(uint8_t(HexDigitValue(hexDigest[i]) << 4 | HexDigitValue(hexDigest[i + 1])));
  }
  uint8_t digest[kMaxDigestLength] = {};
  std::string text = body.substr(0, body.find('\0'));
  size_t full = KeyedDigest(key.digestType, reinterpret_cast<const uint8_t*>(key.bytes.data()),
                            key.bytes.size(), text.data(), text.size(), digest);
  // Fewer bytes than a keyed digest sends would let a forger guess them (none at all, for one digit).
  if (full == 0 || expected.size() > full || expected.size() < WireDigestLength(key.digestType))
    return kDigestMismatch;
  return std::memcmp(digest, expected.data(), expected.size()) == 0 ? 0 : kDigestMismatch;
}

uint32_t WindowsDigestCheck(const uint8_t* data, size_t length, const uint8_t* digest) {
  INetlogon& netlogon = Netlogon();
  if (!netlogon.DigestFunctionsAvailable()) return kNetlogonUnavailable;
  std::string domain;
  uint32_t status = TimeServiceDomain(netlogon, &domain);
  if (status != 0) return status;
  uint8_t current[16], previous[16];
  status = netlogon.ComputeClientDigest(domain, data, length, current, previous);
  if (status != 0) return status;
  if (std::memcmp(digest, current, 16) == 0 || std::memcmp(digest, previous, 16) == 0) return 0;
  return kDigestMismatch;
}

uint32_t FetchMachineRid(uint32_t* rid) {
  INetlogon& netlogon = Netlogon();
  if (!netlogon.DigestFunctionsAvailable() || !netlogon.TrustRidAvailable()) return kNetlogonUnavailable;
  std::string domain;
  uint32_t status = TimeServiceDomain(netlogon, &domain);
  if (status != 0) return status;
  status = domain.empty() ? 1 : netlogon.GetTrustRid(domain, rid);
  if (status != 0) status = netlogon.GetTrustRid(std::string(), rid);
  return status;
}

const char* DigestName(uint32_t authType, uint32_t digestType) {
  switch (authType) {
    case kAuthBroadcast:
      return "bcast/mcast auth";
    case kAuthKey:
      return digestType == kDigestNone ? "unauthenticated" : DigestTypeName(digestType);
    case kAuthWindows:
      return "Windows auth";
    default:
      return "unauthenticated";
  }
}
