// NTP replies come off the network: any bytes, of any length, against a plain, a keyed or a
// Windows-authenticated request, must be judged without fault, and a reply judged good must
// have passed the header rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fuzz_keys.h"
#include "sampling/keyring.h"
#include "sampling/ntp_packet.h"
#include "sampling/ntp_time.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  InstallFuzzKeys();
  // The first byte chooses the request's authentication; the rest is the reply, whose
  // originate field the request's transmit time is taken from half of the time.
  if (size == 0) return 0;
  const uint32_t authTypes[] = {kAuthNone, kAuthKey, kAuthKey, kAuthWindows};
  const uint32_t keyIds[] = {0, 1, 2, 0};
  int choice = data[0] & 3;
  const uint8_t* reply = data + 1;
  size_t length = size - 1 > kNtpReplyCapacity ? kNtpReplyCapacity : size - 1;
  uint64_t transmit = 0xEC0A1B2C80000000ull;
  if ((data[0] & 4) && length >= 32) transmit = LoadNtpTimestamp(reply + 24);
  NtpRequest request;
  BuildNtpRequest(kNtpVersion, transmit, &request);
  AuthenticateNtpRequest(authTypes[choice], keyIds[choice], 1104, &request);
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[length + 1]);
  uint8_t* copy = buffer.get() + 1;  // the reply ends the block: reading past it is a fault
  std::memcpy(copy, reply, length);
  uint8_t replyAuth = 0;
  uint32_t digestType = 0;
  uint32_t code = ValidateNtpReply(copy, length, request, kNtpMaxStratum, &replyAuth, &digestType);
  if (code == 0) {
    if (length < kNtpHeaderLength || (copy[0] & 7) != 4 || copy[1] == 0 || copy[1] > kNtpMaxStratum) std::abort();
    if (LoadNtpTimestamp(copy + 24) != transmit) std::abort();
    TimeSample sample;
    StoreNtpReplyFields(copy, &sample);
  }
  return 0;
}
