// OV2 HTTP replies come off the network: any text must be read, judged and, when it is a
// redirect, turned into a target without fault; a reply judged good must have said 200 with a
// time and the request's serial, and a keyed one must have passed the body's digest; no reply
// may hand the run one of its own codes (a success without a sample, a stop, a time-out, a
// socket's failure).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_keys.h"
#include "sampling/keyring.h"
#include "sampling/ov2_http.h"
#include "sampling/sampler_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  InstallFuzzKeys();
  // The first byte chooses the source's authentication and whether redirects are allowed;
  // the rest is the reply.
  if (size == 0) return 0;
  TimeSourceSpec spec;
  spec.server = "time.example.com";
  spec.port = 80;
  spec.protocol = kProtocolOv2Http;
  spec.authType = data[0] & 1 ? kAuthKey : kAuthNone;
  spec.keyId = data[0] & 1 ? 1 + (data[0] >> 1 & 1) : 0;
  spec.allowRedirect = (data[0] & 4) == 0;
  const uint32_t number = 4242;
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  HttpReply reply = ParseHttpReply(text.data(), text.size());
  TimeSample sample;
  sample.requestAuth = SendsAuthQuery(spec) ? uint8_t(spec.authType) : 0;
  uint32_t code = DecideHttpResult(reply, number, spec, &sample);
  if (code == kRedirectNeeded && (sample.server.empty() || !spec.allowRedirect)) std::abort();
  bool runCode = code == kRedirectHandled || code == kRunStopped || code == kConnectTimedOut || code == kTimedOut;
  if (runCode || (code >= 10000 && code <= 11999)) std::abort();
  if (code != 0) return 0;
  if (reply.status != 200 || reply.filetime == 0 || reply.serial != number) std::abort();
  if (spec.authType != kAuthNone && sample.replyAuth != kAuthKey) std::abort();
  StoreHttpReply(reply, reply.filetime, reply.filetime + 1000, spec, &sample);
  if (sample.latency < 0) std::abort();
  return 0;
}
