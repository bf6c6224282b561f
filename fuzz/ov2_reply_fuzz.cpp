// OV2 replies come off the network: any bytes, of any length, against a plain, a keyed or a
// Windows-authenticated request, must be judged without fault; a reply judged good must echo
// the request and carry a time, and must fill a sample without reading past its end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fuzz_keys.h"
#include "sampling/keyring.h"
#include "sampling/ov2_packet.h"

namespace {

uint32_t LoadLe32(const uint8_t* p) { return uint32_t(p[0]) | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  InstallFuzzKeys();
  // The first byte chooses the request's authentication; the rest is the reply, whose first
  // four bytes are taken as the request number half of the time so that the later rules run.
  if (size == 0) return 0;
  const uint32_t authTypes[] = {kAuthNone, kAuthKey, kAuthKey, kAuthBroadcast};
  const uint32_t keyIds[] = {0, 1, 2, 0};
  int choice = data[0] & 3;
  size_t length = size - 1 > kOv2ReplyCapacity ? kOv2ReplyCapacity : size - 1;
  uint32_t number = (data[0] & 4) && length >= 4 ? LoadLe32(data + 1) : 0x12345678;
  Ov2Request request;
  BuildOv2Request(number, authTypes[choice], keyIds[choice], 0, &request);
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[length + 1]);
  uint8_t* reply = buffer.get() + 1;  // the reply ends the block: reading past it is a fault
  std::memcpy(reply, data + 1, length);
  uint8_t replyAuth = 0;
  uint32_t digestType = 0;
  if (ValidateOv2Reply(reply, length, request, &replyAuth, &digestType) != 0) return 0;
  if (length < kOv2MinimumReply || LoadLe32(reply) != number) std::abort();
  if (request.authType != kAuthNone && replyAuth != kAuthKey && replyAuth != kAuthBroadcast) std::abort();
  TimeSample sample;
  StoreOv2Reply(reply, length, 133000000000000000ull, 133000000000001000ull, &sample);
  if (sample.latency < 0 || sample.replyLength != length) std::abort();
  return 0;
}
