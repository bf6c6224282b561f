// The loopback NTP server's port and keys, as the test script describes them.
#include "support/ntp_peer.h"

#include <cstdlib>
#include <sstream>

#include "support/test_io.h"

const char kNoNtpPeer[] = "OVMON_NTP_PORT names no NTP server (scripts/test starts one)";

std::string NtpPeerPort() { return Env("OVMON_NTP_PORT"); }

bool ReadNtpPeerKeys(std::vector<NtpPeerKey>* keys, std::string* missing) {
  for (const char* name : {"OVMON_NTP_MD5_KEY", "OVMON_NTP_SHA1_KEY"}) {
    const char* line = std::getenv(name);
    if (!line) {
      *missing = name;
      return false;
    }
    std::istringstream words(line);
    std::string type;
    NtpPeerKey key;
    words >> key.number >> type >> key.text;
    if (key.text.compare(0, 4, "HEX:") == 0) key.text.erase(0, 4);
    keys->push_back(key);
  }
  return true;
}
