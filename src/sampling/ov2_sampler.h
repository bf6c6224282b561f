// The OV2 samplers: the family's own binary exchange over UDP or TCP, and the same time
// service asked with one HTTP GET; each fills one TimeSample per exchange.
#pragma once
#include "sampling/time_sampler.h"

class COV2TimeSampler : public CTimeSampler {
 public:
  using CTimeSampler::CTimeSampler;
  // One OV2 request and reply over socket (a datagram or a stream) into sample; sets and
  // returns its errorCode.
  uint32_t SampleOnce(CClientSocket& socket, const TimeSourceSpec& spec, TimeSample* sample) override;
};

class COV2HTTPClient : public CTimeSampler {
 public:
  using CTimeSampler::CTimeSampler;
  // One GET over the connected socket into sample; a redirect leaves 12160 with its target
  // for the run to follow. Sets and returns the sample's errorCode.
  uint32_t SampleOnce(CClientSocket& socket, const TimeSourceSpec& spec, TimeSample* sample) override;
};
