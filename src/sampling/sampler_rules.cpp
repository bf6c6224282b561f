// A sampling run's rules that need no sockets: counts, pauses and time budgets.
#include "sampling/sampler_rules.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>

#include "sampling/ip_literal.h"
#include "sampling/keyring.h"

namespace {

bool ContainsNoCase(const std::string& text, const std::string& word) {
  auto same = [](char a, char b) { return std::tolower(uint8_t(a)) == std::tolower(uint8_t(b)); };
  return std::search(text.begin(), text.end(), word.begin(), word.end(), same) != text.end();
}

// One attempt's state as the loop sees it.
struct LoopState {
  bool anySuccess = false;
  uint32_t last = 0;
};

uint32_t LoopAttempts(uint32_t count, const PauseFunction& pause, const AttemptFunction& attempt,
                      SampleSet* results, LoopState* state) {
  for (uint32_t i = 0; i < count; ++i) {
    if (i > 0 && state->last != 0 && state->last != kTimedOut) break;
    bool quiet = !state->anySuccess && (i == 0 || state->last == kTimedOut);
    if (!quiet && !pause()) return kRunStopped;
    TimeSample sample;
    uint32_t code = attempt(&sample);
    if (code == kRunStopped) return kRunStopped;
    if (code == 0) results->push_back(sample);
    if (code == kRedirectHandled) code = 0;
    if (code == 0) state->anySuccess = true;
    state->last = code;
  }
  return state->anySuccess ? 0 : state->last;
}

}  // namespace

std::string AuthDescription(uint32_t authType, uint32_t keyId, uint32_t digestType) {
  if (authType == kAuthNone || (authType == kAuthKey && keyId == 0)) return "unauthenticated";
  std::string name = DigestName(authType, digestType);
  if (keyId == 0) return name;
  char text[80];
  std::snprintf(text, sizeof text, "%s key %u", name.c_str(), keyId);
  return text;
}

std::string AttemptAuthDescription(const TimeSourceSpec& spec, const TimeSample& sample) {
  bool keyed = sample.requestAuth == kAuthKey && sample.digestType != 0;
  return AuthDescription(spec.authType, spec.keyId, keyed ? sample.digestType : spec.digestType);
}

uint32_t SampleCount(const TimeSourceSpec& spec) { return std::clamp<uint32_t>(spec.samples, 1, 32); }

uint32_t SampleDelayMs(const TimeSourceSpec& spec) {
  return spec.delayMs == 0 ? 256 : std::clamp<uint32_t>(spec.delayMs, 16, 1024);
}

int ForcedFamily(const TimeSourceSpec& spec) {
  IpLiteral literal;
  if (ParseIpLiteral(spec.server, &literal)) return literal.family;
  if (ContainsNoCase(spec.comment, "Ipv6")) return 6;
  if (ContainsNoCase(spec.comment, "Ipv4")) return 4;
  return 0;
}

uint16_t SourcePort(TimeProtocol protocol, const SourcePorts& ports) {
  switch (protocol) {
    case kProtocolOv2Udp:
    case kProtocolOv2Tcp:
      return ports.ov2;
    case kProtocolNtp:
      return ports.ntp;
    case kProtocolTimeUdp:
    case kProtocolTimeTcp:
      return ports.time;
    default:
      return 0;
  }
}

bool FollowsRedirect(const TimeSourceSpec& spec, const TimeSample& sample, uint32_t code) {
  return spec.protocol == kProtocolOv2Http && !spec.redirected && code == kRedirectNeeded && !sample.server.empty();
}

TimeSourceSpec RedirectSpec(const TimeSourceSpec& spec, const TimeSample& sample) {
  TimeSourceSpec next;
  next.redirected = next.fromRedirect = true;
  next.server = sample.server;
  next.port = sample.serial > 0 && sample.serial <= 0xFFFF ? uint16_t(sample.serial) : spec.port;
  next.protocol = kProtocolOv2Http;
  next.samples = 1;
  next.authType = spec.authType;
  next.keyId = spec.keyId;
  next.domain = spec.domain;
  next.isDomain = spec.isDomain;
  next.enabled = spec.enabled;
  next.delayMs = spec.delayMs;
  next.sampleTag = spec.sampleTag;
  next.comment = spec.server + (spec.port == 80 ? "" : ":" + std::to_string(spec.port));
  next.errorCode = sample.role;
  return next;
}

uint32_t RedirectOutcome(uint32_t code) {
  switch (code) {
    case 0:
      return kRedirectHandled;
    case 12028:      // not found
    case 12153:      // invalid header
    case 12154:      // invalid query
    case 0x80090310: // the target's serial did not echo the request
    case 0x80096010: // digest mismatch
    case 5:          // access denied
    case 1746:       // no authentication digest
    case 1901:       // clock not set on the target
      return code;
    default:
      return kRedirectFailed;
  }
}

uint32_t RunAttempts(uint32_t count, const PauseFunction& pause, const AttemptFunction& attempt,
                     SampleSet* results) {
  LoopState state;
  try {
    return LoopAttempts(count, pause, attempt, results, &state);
  } catch (...) {
    return state.anySuccess ? 0 : kExceptionInRun;
  }
}
