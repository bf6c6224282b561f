// The rules of a sampling run that need no sockets: sample count and pause, the address
// family and source port, the authentication description, and the attempt loop with its
// pause, stop and result rules and the conversion of escaping exceptions into a code.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "sampling/time_sample.h"
#include "sampling/time_source.h"

// Result codes of a run.
constexpr uint32_t kNoSamplerForProtocol = 8225;
constexpr uint32_t kRunStopped = 1115;            // ERROR_SHUTDOWN_IN_PROGRESS
constexpr uint32_t kRedirectHandled = 1237;       // success without a sample of its own
constexpr uint32_t kTimedOut = 10060;             // WSAETIMEDOUT: a datagram lost, tried again at once
constexpr uint32_t kConnectTimedOut = 12002;      // no answer to a stream connection request in time
constexpr uint32_t kExceptionInRun = 0x80040205;
constexpr uint32_t kRedirectNeeded = 12160;       // an HTTP source names another host
constexpr uint32_t kRedirectFailed = 12156;

// The configured source ports of the protocols (0: any).
struct SourcePorts {
  uint16_t ov2 = 0;
  uint16_t ntp = 0;
  uint16_t time = 0;
};

// "%s key %u" with the type's name for a nonzero type and key, else the type's name alone
// ("unauthenticated" for types 0 and 2).
std::string AuthDescription(uint32_t authType, uint32_t keyId, uint32_t digestType);
// The description of one attempt: a request signed with a key names the key's digest type,
// any other the time source's.
std::string AttemptAuthDescription(const TimeSourceSpec& spec, const TimeSample& sample);
// Exchanges per run: the time source's samples, 0 counting as 1, at most 32.
uint32_t SampleCount(const TimeSourceSpec& spec);
// Pause between samples in ms: the time source's delay, 0 counting as 256, clamped to 16..1024.
uint32_t SampleDelayMs(const TimeSourceSpec& spec);
// The family the socket must have: 4 or 6 for an IP literal server or a comment naming
// "Ipv4"/"Ipv6" (any case), 0 when none is forced.
int ForcedFamily(const TimeSourceSpec& spec);
// Local port for the protocol: OV2 (0 and 7), NTP (1), TIME (4 and 5), else 0.
uint16_t SourcePort(TimeProtocol protocol, const SourcePorts& ports);

// Whether an OV2 HTTP exchange that failed with code asks the run to follow its redirect:
// 12160 with a target server, on a spec that is not itself a redirect.
bool FollowsRedirect(const TimeSourceSpec& spec, const TimeSample& sample, uint32_t code);
// The one-shot spec that follows the redirect a sample reports: its server, the port it
// named (kept in serial) or else the time source's, one sample, the time source's authentication, and the
// HTTP status (kept in role) as errorCode.
TimeSourceSpec RedirectSpec(const TimeSourceSpec& spec, const TimeSample& sample);
// What the followed run's code means for the attempt that asked for it: 0 becomes 1237,
// the codes that say why the target failed stay, any other failure becomes 12156.
uint32_t RedirectOutcome(uint32_t code);

// One exchange into a reset sample; 0 appends the sample, 1237 counts as success without one.
typedef std::function<uint32_t(TimeSample* sample)> AttemptFunction;
// The pause between exchanges; false when the run must stop.
typedef std::function<bool()> PauseFunction;
// Makes up to count attempts, going on after a success or a timeout, pausing before each
// except while nothing has succeeded and the previous attempt timed out (or there was none).
// 0 when anything succeeded, 1115 when stopped (in a pause or by an attempt that was), else the
// last failure's code. An exception ends the attempts with 0x80040205 (0 when samples were
// already taken).
uint32_t RunAttempts(uint32_t count, const PauseFunction& pause, const AttemptFunction& attempt, SampleSet* results);
