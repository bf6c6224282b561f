// The process-wide keyring of numbered symmetric keys, the keyed digests of the NTP, OV2
// and OV2 HTTP exchanges, and Windows (Netlogon) authentication.
//
// Keys live in the registry below "<product key>\Keyring\Keys", one value per key number;
// "<product key>\Keyring\Conf" fixes digest types, the trusted keys, the broadcast key and
// the PTP keys. BuildKeyring turns those raw texts into a keyring (no platform calls);
// LoadKeyring (Windows build) reads them and swaps the result in.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Result codes of this module.
constexpr uint32_t kKeyNotInKeyring = 1169;          // ERROR_NO_MATCH
constexpr uint32_t kKeyNotTrusted = 0x800B0004;      // TRUST_E_SUBJECT_NOT_TRUSTED
constexpr uint32_t kKeyNotSupported = 0x800B0008;    // key's digest type not usable for the protocol
constexpr uint32_t kDigestMismatch = 0x80096010;     // TRUST_E_BAD_DIGEST
constexpr uint32_t kAuthenticationMissing = 86;      // ERROR_INVALID_PASSWORD
constexpr uint32_t kNetlogonUnavailable = 127;       // ERROR_PROC_NOT_FOUND
constexpr uint32_t kNoSuchDomain = 1355;             // ERROR_NO_SUCH_DOMAIN

// Authentication types of a time source.
constexpr uint32_t kAuthNone = 0;
constexpr uint32_t kAuthBroadcast = 1;
constexpr uint32_t kAuthKey = 2;
constexpr uint32_t kAuthWindows = 3;

// The reserved number of the built-in key: above the numbers a time-source line can name.
constexpr uint32_t kBuiltInKeyNumber = 0x10000;
constexpr size_t kMaxKeyText = 128;
constexpr size_t kMaxKeyBytes = 64;

struct KeyEntry {
  uint32_t number = 0;
  std::string text;         // up to 128 characters
  bool trusted = false;
  uint32_t digestType = 0;  // 0: the key is kept but yields no digest
  std::string bytes;        // MD5: the text (at most 64 bytes); SHA types: the text decoded from hex
};

// The PTP message types whose key numbers Conf may name, in this order.
constexpr size_t kPtpKeyCount = 7;
extern const char* const kPtpKeyValueNames[kPtpKeyCount];

// The registry's raw contents, as read: value data are the bytes of the value (a text's
// terminator may be included; the text ends at the first zero byte).
struct KeyringSource {
  std::vector<std::pair<std::string, std::string>> keyValues;  // (name, data) in enumeration order
  std::string confTypes;          // default value of Conf: "number,type" pairs
  std::string trustedKeys;        // "TrustedKey"
  std::string broadcastKey;       // "BroadcastKey"
  std::string ptpKeys[kPtpKeyCount];
  std::string identity;           // installation identity the built-in key is made from
};

struct Keyring {
  std::map<uint32_t, KeyEntry> keys;
  uint32_t broadcastKey = 0;
  uint32_t ptpKeys[kPtpKeyCount] = {};
};

// One "\Keyring\Keys" value: false when the name or the key text is not usable.
// confType is the digest type Conf fixes for this number (0 when none).
bool ParseKeyValue(const std::string& name, const std::string& data, uint32_t confType, KeyEntry* entry);
// The Conf default value: number -> digest type for each well-formed pair.
std::map<uint32_t, uint32_t> ParseConfTypes(const std::string& text);
// Builds a keyring (including the built-in key) from the registry's raw contents.
Keyring BuildKeyring(const KeyringSource& source);

// One step of a registry value enumeration: the value at index as the registry gives it
// (names up to 32 characters, data up to 256 bytes); 0, 234 for a value too long, or a code.
typedef std::function<uint32_t(uint32_t index, std::string* name, std::string* data)> KeyValueReader;
// The values of a key, read by index up to count (the number the key reported): a value too
// long is skipped, any other failure (no more values, the key deleted meanwhile) ends the reading.
std::vector<std::pair<std::string, std::string>> ReadKeyValues(uint32_t count, const KeyValueReader& read);

// Replaces the process-wide keyring under its lock.
void InstallKeyring(Keyring keyring);
// Reads the registry below productKey (a settings subkey: "\\Software\..." is absolute,
// "\..." is below the Monitor's product key, a plain name below its Parameters key) and
// replaces the keyring. Windows build only.
void LoadKeyring(const std::string& productKey);

// Whether the keyring holds the key; false when the Netlogon functions are unavailable.
bool KeyExists(uint32_t number);
// Whether the key is trusted, with its digest type (set whenever the key exists); false
// when the Netlogon functions are unavailable.
bool KeyTrusted(uint32_t number, uint32_t* digestType);
// A copy of the key: 0, kKeyNotInKeyring or kKeyNotTrusted.
uint32_t FetchKey(uint32_t number, KeyEntry* entry);

// The numbers a time-source line can name (the built-in key's is not one) of the keys whose
// digest type is MD5 or SHA1, trusted or not, in keyring order.
std::vector<uint32_t> NamableKeyNumbers();

// Signs a 48-byte NTP packet with a key: the key number (big-endian) at byte 48 and the
// keyed digest of bytes 0 to 47 at byte 52 (16 bytes for MD5, else the first 20). packet
// has room for 72 bytes; *length is 68, 72, or 48 for a key that yields no digest.
uint32_t SignNtp(uint32_t number, uint8_t* packet, size_t* length, uint32_t* digestType);
// Verifies a keyed NTP reply of length bytes: the key named at byte 48, the digest at 52.
// A reply naming the built-in key is refused as a key not in the keyring, as in every check below.
uint32_t VerifyNtp(const uint8_t* reply, size_t length, uint32_t* digestType);

// Completes an OV2 request whose bytes 0 to 11 are built: the authentication part from
// offset 12 and the total length at offset 6. request has room for 36 bytes.
uint32_t BuildOv2Auth(uint32_t authType, uint32_t keyId, uint8_t* request, size_t* length,
                      uint32_t* digestType);
// Verifies an OV2 reply of length bytes against the request's authentication type and the
// source's key number; bytes past length count as zero. A reply of an unknown type passes
// only an unauthenticated request.
uint32_t VerifyOv2Reply(const uint8_t* reply, size_t length, uint32_t requestAuth, uint32_t keyId,
                        uint32_t* digestType);
// Verifies an OV2 HTTP body against the hexadecimal "auth-digest" made with key number: its
// decoded bytes, at least as many as a keyed digest sends (16 MD5, else 20), must begin the
// keyed digest of the body up to its first zero byte. Key number 0 is not checked.
uint32_t VerifyHttpBody(uint32_t number, const std::string& body, const std::string& hexDigest,
                        uint32_t* digestType);

// Windows authentication: digest (16 bytes) must be the Netlogon client digest of data with
// the current or the previous machine password.
uint32_t WindowsDigestCheck(const uint8_t* data, size_t length, const uint8_t* digest);
// This computer's account RID in its time-service domain.
uint32_t FetchMachineRid(uint32_t* rid);

// Name of an authentication type: "bcast/mcast auth", the digest name for keys ("MD5",
// "SHA1", "SHA256", "SHA512", "unknown", "unauthenticated" for no digest), "Windows auth",
// or "unauthenticated".
const char* DigestName(uint32_t authType, uint32_t digestType);
