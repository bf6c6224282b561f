// The loopback NTP server that scripts/test starts, as its environment describes it: the port in
// OVMON_NTP_PORT and its key lines in OVMON_NTP_MD5_KEY ("1 MD5 text") and OVMON_NTP_SHA1_KEY
// ("2 SHA1 HEX:40 digits").
#pragma once
#include <string>
#include <vector>

// Why a test is skipped when no server runs.
extern const char kNoNtpPeer[];

// One key of the server as a keyring value: its number and its text (without "HEX:").
struct NtpPeerKey {
  std::string number;
  std::string text;
};

// The server's port as text; empty when no server runs.
std::string NtpPeerPort();
// The server's keys; false (with the missing variable's name in *missing) when one is not set.
bool ReadNtpPeerKeys(std::vector<NtpPeerKey>* keys, std::string* missing);
