// The sampler framework: a sampling run over one time source, and the base of the protocol
// samplers that fill one TimeSample per exchange.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "sampling/client_socket.h"
#include "sampling/sampler_rules.h"
#include "sampling/time_sample.h"
#include "sampling/time_source.h"

// What a run takes from the network settings.
struct SamplerSettings {
  uint8_t ntpVersion = 3;
  uint8_t maxStratum = 15;
  SourcePorts sourcePorts;
  uint32_t sendTimeoutMs = 3;
  uint32_t recvTimeoutMs = 55;
  std::string localAddressIpv4;  // empty: any
  std::string localAddressIpv6;
  // Where the run sends the trace line of each attempt; none when empty.
  std::function<void(const std::string&)> trace;
};

// The settings as the registry holds them now (network discovery settings).
SamplerSettings LoadSamplerSettings();

class CTimeSampler {
 public:
  explicit CTimeSampler(const SamplerSettings& settings) : settings_(settings) {}
  // Nothing to release.
  virtual ~CTimeSampler() = default;
  CTimeSampler(const CTimeSampler&) = delete;
  CTimeSampler& operator=(const CTimeSampler&) = delete;

  // The run: the time source's samples appended to results (an HTTP redirect is followed once, its
  // samples joining the list); 0 when any was obtained, 1115 when stopped, else the last
  // failure's code. Each attempt, with its connection and a redirect it follows, ends within the
  // receive timeout, so a run takes at most its samples times (timeout + delay).
  virtual uint32_t Sample(const TimeSourceSpec& spec, SampleSet* results);
  // One exchange over an open socket into a reset sample; sets and returns its errorCode.
  virtual uint32_t SampleOnce(CClientSocket& socket, const TimeSourceSpec& spec, TimeSample* sample) = 0;

 protected:
  // The settings the run was created with.
  const SamplerSettings& Settings() const { return settings_; }

 private:
  uint32_t SampleWithin(const TimeSourceSpec& spec, uint32_t budgetMs, SampleSet* results);
  uint32_t Attempt(const TimeSourceSpec& spec, int family, uint32_t budgetMs, TimeSample* sample,
                   SampleSet* results);
  static void RecordPeer(const CClientSocket& socket, TimeSample* sample);
  void Trace(const TimeSourceSpec& spec, const TimeSample& sample, uint32_t code) const;

  SamplerSettings settings_;
};

// PTP sources: this program has no PTP exchange, so every run answers 8225 at once.
class CPTPTimeSampler : public CTimeSampler {
 public:
  using CTimeSampler::CTimeSampler;
  // 8225 without sampling.
  uint32_t Sample(const TimeSourceSpec& spec, SampleSet* results) override;
  // 8225 without sending.
  uint32_t SampleOnce(CClientSocket& socket, const TimeSourceSpec& spec, TimeSample* sample) override;
};

// The sampler for a protocol, or nullptr when the protocol has none here.
std::unique_ptr<CTimeSampler> CreateTimeSampler(TimeProtocol protocol, const SamplerSettings& settings);
// Samples spec with its protocol's sampler into results; 8225 when there is none.
uint32_t RunTimeSource(const TimeSourceSpec& spec, SampleSet* results);
// The same with the given settings.
uint32_t RunTimeSource(const TimeSourceSpec& spec, const SamplerSettings& settings, SampleSet* results);
