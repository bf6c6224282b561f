// CTimeSampler: a sampling run of one source, its retries, pauses and traces.
#include "sampling/time_sampler.h"

#include "platform/stop_event.h"
#include "sampling/critical_timing.h"
#include "sampling/keyring.h"
#include "sampling/network.h"
#include "sampling/network_discovery_settings.h"
#include "sampling/ntp_sampler.h"
#include "sampling/ov2_sampler.h"
#include "sampling/sample_trace.h"

namespace {

int SocketFamily(int family) { return family == 4 ? AF_INET : family == 6 ? AF_INET6 : AF_UNSPEC; }

// Waits the delay on the stop event; false when it is set or missing.
bool PauseUnlessStopped(uint32_t delayMs) {
  HANDLE stop = StopEvent();
  return stop && WaitForSingleObject(stop, delayMs) == WAIT_TIMEOUT;
}

// Records the exchange's code in the sample and returns it.
uint32_t Finish(TimeSample* sample, uint32_t code) {
  sample->errorCode = code;
  return code;
}

}  // namespace

SamplerSettings LoadSamplerSettings() {
  NetworkDiscoverySettings network;
  LoadNetworkDiscoverySettings(&network);
  SamplerSettings settings;
  settings.sourcePorts = {uint16_t(network.sendPortOV2), uint16_t(network.sendPortNTP),
                          uint16_t(network.sendPortTIME)};
  settings.sendTimeoutMs = network.udpSendTimeout;
  settings.recvTimeoutMs = network.udpRecvTimeout;
  return settings;
}

uint32_t CTimeSampler::Sample(const TimeSourceSpec& spec, SampleSet* results) {
  return SampleWithin(spec, settings_.recvTimeoutMs, results);
}

// The run with each attempt, connection and redirect included, bounded by budgetMs.
uint32_t CTimeSampler::SampleWithin(const TimeSourceSpec& spec, uint32_t budgetMs, SampleSet* results) {
  if (uint32_t code = NetStartup()) return code;
  int family = SocketFamily(ForcedFamily(spec));
  uint32_t delayMs = SampleDelayMs(spec);
  return RunAttempts(
      SampleCount(spec), [delayMs] { return PauseUnlessStopped(delayMs); },
      [&](TimeSample* sample) {
        uint32_t code = Attempt(spec, family, budgetMs, sample, results);
        Trace(spec, *sample, code);
        return code;
      },
      results);
}

// One line per attempt; a followed redirect has traced its own.
void CTimeSampler::Trace(const TimeSourceSpec& spec, const TimeSample& sample, uint32_t code) const {
  if (code == kRedirectHandled || !settings_.trace) return;
  std::string auth = AttemptAuthDescription(spec, sample);
  settings_.trace(code == 0 ? SampleTraceLine(sample, auth, settings_.ntpVersion)
                            : FailedSampleTraceLine(spec, sample, auth));
}

uint32_t CTimeSampler::Attempt(const TimeSourceSpec& spec, int family, uint32_t budgetMs, TimeSample* sample,
                               SampleSet* results) {
  CClientSocket socket;
  bool stream = IsStreamProtocol(spec.protocol);
  if (uint32_t code = socket.Open(spec.server, spec.port, stream, family)) return Finish(sample, code);
  const std::string& local = socket.IsIPv6() ? settings_.localAddressIpv6 : settings_.localAddressIpv4;
  if (uint32_t code = socket.Bind(local, SourcePort(spec.protocol, settings_.sourcePorts)))
    return Finish(sample, code);
  if (uint32_t code = socket.SetSendTimeout(settings_.sendTimeoutMs)) return Finish(sample, code);
  if (uint32_t code = socket.SetRecvTimeout(budgetMs)) return Finish(sample, code);
  CDeadline deadline(budgetMs);
  if (uint32_t code = socket.Connect()) {
    RecordPeer(socket, sample);
    return Finish(sample, code == WSAEINTR ? kRunStopped : code);
  }
  uint32_t code;
  {
    CCriticalTimingScope timing;
    code = SampleOnce(socket, spec, sample);
  }
  RecordPeer(socket, sample);
  if (FollowsRedirect(spec, *sample, code)) {
    uint32_t left = deadline.Left();
    return RedirectOutcome(SampleWithin(RedirectSpec(spec, *sample), left ? left : 1, results));
  }
  if (code != 0) return code;
  sample->server = spec.server;
  sample->protocol = spec.protocol;
  return 0;
}

// The peer's address, for the sample and for the trace of a failed exchange alike.
void CTimeSampler::RecordPeer(const CClientSocket& socket, TimeSample* sample) {
  if (sample->address.family != 0) return;
  const sockaddr_storage& peer = socket.PeerAddress().ss_family ? socket.PeerAddress() : socket.RemoteAddress();
  uint16_t port = 0;
  sample->address = FromSocketAddress(reinterpret_cast<const sockaddr*>(&peer), &port);
}

uint32_t CPTPTimeSampler::Sample(const TimeSourceSpec&, SampleSet*) { return kNoSamplerForProtocol; }

uint32_t CPTPTimeSampler::SampleOnce(CClientSocket&, const TimeSourceSpec&, TimeSample* sample) {
  return Finish(sample, kNoSamplerForProtocol);
}

std::unique_ptr<CTimeSampler> CreateTimeSampler(TimeProtocol protocol, const SamplerSettings& settings) {
  switch (protocol) {
    case kProtocolOv2Udp:
    case kProtocolOv2Tcp:
      return std::make_unique<COV2TimeSampler>(settings);
    case kProtocolNtp:
      return std::make_unique<CNTPTimeSampler>(settings);
    case kProtocolOv2Http:
      return std::make_unique<COV2HTTPClient>(settings);
    case kProtocolPtp:
    case kProtocolPtpGeneral:
      return std::make_unique<CPTPTimeSampler>(settings);
    default:
      return nullptr;
  }
}

uint32_t RunTimeSource(const TimeSourceSpec& spec, SampleSet* results) {
  return RunTimeSource(spec, LoadSamplerSettings(), results);
}

uint32_t RunTimeSource(const TimeSourceSpec& spec, const SamplerSettings& settings, SampleSet* results) {
  std::unique_ptr<CTimeSampler> sampler = CreateTimeSampler(spec.protocol, settings);
  return sampler ? sampler->Sample(spec, results) : kNoSamplerForProtocol;
}
